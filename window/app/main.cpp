// Quillbary: the interest due when a loan, or part of one, is repaid.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/app_setup.h"
#include "app/command_line.h"
#include "app/deferred_icon.h"
#include "app/journal_commands.h"
#include "app/local_clock.h"
#include "app/utf8_arguments.h"
#include "branch/branch_copy.h"
#include "form/form1.h"
#include "journal/journal_desk.h"
#include "menu/main_window.h"
#include "menu/status_line.h"
#include "quillbary/branch_commands.h"

int main(int argc, char* argv[]) {
  // --help, --version and wrong arguments are answered before QApplication,
  // which aborts when there is no display.
  const std::vector<std::string> utf8 = quillbary::Utf8Arguments(argc, argv);
  std::vector<const char*> args;
  for (const std::string& arg : utf8) args.push_back(arg.c_str());
  // The branch's history alone, on a supervisor's machine: no journal of its own.
  const bool branchHistory = args.size() == 2 && std::string_view(args[0]) == "--branch-history";
  const quillbary::JournalCommandLine journal = quillbary::TakeJournalOptions(args);
  // A terminal's journal is checked against the branch's copy of it too.
  const auto branchWitness =
      [](const std::filesystem::path& path) -> std::optional<quillbary::ChainWitness> {
    const auto word = quillbary::branch::WitnessOfBranch(path);
    if (!word) return std::nullopt;
    return quillbary::ChainWitness{word->agrees, word->firstBadSeq, word->said};
  };
  // Each command of the command line is answered before the window opens.
  const auto answerCommand = [&]() -> std::optional<int> {
    if (auto answered =
            quillbary::AnswerJournalCommand(journal, args, std::cout, std::cerr, branchWitness)) {
      return answered;
    }
    if (auto answered = quillbary::branch::AnswerBranchCommand(
            args, journal.journal, std::cout, std::cerr, quillbary::BranchPdfWriter())) {
      return answered;
    }
    return quillbary::AnswerCommandLine(
        args, QUILLBARY_VERSION, {journal.journal, journal.noJournal, QUILLBARY_VERSION},
        std::cout, std::cerr);
  };
  if (!branchHistory) {
    if (const auto answered = answerCommand()) return *answered;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillbary"));
  QApplication::setApplicationVersion(QStringLiteral(QUILLBARY_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("org.quillbary.quillbary"));
  if (!quillbary::SetUpApplication()) qWarning("Qt's Chinese translations are not installed");
  if (branchHistory) return quillbary::RunBranchHistory(args[1]);

  auto* form1 = new quillbary::Form1(quillbary::LocalClock{});
  // Numbers and records every statement handed on; opens its file on first use.
  auto* desk = new quillbary::JournalDesk(form1, form1->statementMenu(),
                                          {journal.journal, journal.noJournal}, QUILLBARY_VERSION);
  quillbary::MainWindow window(form1, desk);  // takes the form as its client area
  // A terminal's entries go to the branch's server in the background.
  if (!journal.noJournal) quillbary::StartBranchCopy(journal.journal, window.statusLine(), desk);
  quillbary::OfferBranchHistory(desk);
  window.show();
  quillbary::SetWindowIconAfterFirstPaint(&window, QStringLiteral(":/icon.png"));
  return QApplication::exec();
}
