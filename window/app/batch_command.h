// The batch commands of the command line, answered like --help before any Qt
// application exists, so that they need no display:
//   quillbary --batch IN [--output OUT]
//   quillbary --batch-template FILE.csv|FILE.xlsx
#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string>

namespace quillbary {

// Where a batch run is recorded: the journal at `path`, or nowhere.
struct BatchJournal {
  std::filesystem::path path;
  bool disabled = false;  // --no-journal
  std::string programVersion;
};

// Whether any argument is one of the batch options.
bool AsksForBatch(std::span<const char* const> args);

// Answers the batch command in args (the arguments after the program's name).
// A run is recorded in the journal, with its files' names and SHA-256 and its
// summary, before its output takes its place: a journal that cannot be
// opened or written stops the run, and no output is written.
// Returns the exit status:
// - 0: the file was written and every row was calculated;
// - 3: the file was written, and some rows have an error in their 错误 cell;
// - 2: a usage error (an option without its value, an argument not
//   understood, a template name that is neither .csv nor .xlsx, the output
//   naming the input) or a header that lacks a required column, named;
// - 1: a file that cannot be read or written, the journal included, with its
//   path and the reason.
// The summary goes to out; messages go to err, and a progress line too when
// `showProgress` (err is a terminal).
int AnswerBatch(std::span<const char* const> args, const BatchJournal& journal, std::ostream& out,
                std::ostream& err, bool showProgress);

// Whether `stream` is the standard error and that is a terminal.
bool IsTerminal(const std::ostream& stream);

}  // namespace quillbary
