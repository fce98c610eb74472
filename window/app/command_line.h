// What `quillbary` does with the arguments it is given, decided before any Qt
// application object exists: QApplication needs a display, and without one it
// aborts, so --help and --version must be answered first.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string_view>

#include "app/batch_command.h"

namespace quillbary {

// args are the arguments after the program's name.
// - none: returns nothing, and the caller opens the window;
// - "--help": the usage on out, returns 0;
// - "--version": "quillbary 1.00" (with the version given) on out, returns 0;
// - any of --batch, --output, --batch-template: the batch command, answered
//   by AnswerBatch (app/batch_command.h) with its own exit statuses, its runs
//   recorded in `journal`;
// - anything else, Qt's own options such as -platform or -style included: one
//   line on err naming the first argument not understood, returns 2. Qt is
//   steered by its environment variables instead (QT_QPA_PLATFORM, ...).
// When several arguments are all understood, the first one is answered.
// If out cannot be written (a full disk, a closed pipe), says so on err and
// returns 1.
std::optional<int> AnswerCommandLine(std::span<const char* const> args, std::string_view version,
                                     const BatchJournal& journal, std::ostream& out,
                                     std::ostream& err);

}  // namespace quillbary
