// The window's menu for handing the figures on: the working, a copy, a
// printed statement and a PDF. It stands behind a right-click outside the
// input fields and the Menu key, and its items have shortcuts of their own.
// While the items are off, their keys say why in a box (提示) instead: F1
// before any calculation opens the help.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QShortcut>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string_view>

#include "quillbary/calculate.h"
#include "quillbary/safe_file.h"
#include "quillbary/clock_face.h"
#include "quillbary/field_values.h"
#include "quillbary/statement.h"

namespace quillbary {

class BatchRunner;

class StatementMenu : public QObject {
  Q_OBJECT

 public:
  using ControlLookup = std::function<QWidget*(std::string_view name)>;
  using Clock = std::function<LocalMoment()>;
  // Where a PDF is to be saved, given the suggested path; empty to cancel.
  using PathChooser = std::function<QString(QWidget* parent, const QString& suggested)>;

  StatementMenu(QWidget* window, ControlLookup control, Clock clock);

  // The figures now on screen: those of a Calculate run that made a total,
  // or nothing. Enables the items and sets the result fields' tips.
  void setFigures(const std::optional<FieldValues>& fields);

  // The figures a Calculate run left and what it came to. Only a run that
  // made a total from dates in order hands its figures on; after one that
  // warned about the order of the dates or chose no method, the items stay
  // off and their keys say so.
  void setRun(const FieldValues& fields, const CalculateOutcome& outcome);

  // What F1 opens while no calculation has made the figures on screen.
  void setHelp(std::function<void()> help) { help_ = std::move(help); }

  void popup(const QPoint& globalPos);
  QMenu* menu() { return &menu_; }
  // 计算过程…, 复制计算结果, 打印计息单… and 导出 PDF…, for the menu bar.
  const std::array<QAction*, 4>& actions() const { return actions_; }
  // What 批量计算… starts, for a journal to record its runs.
  BatchRunner* batchRunner() const { return batchRunner_; }
  void setPathChooser(PathChooser chooser) { choosePath_ = std::move(chooser); }

  // How a journal takes part in handing the statement on. The recorder is
  // asked first and gives the statement as it is to go (numbered, with its
  // header) or nothing to refuse the hand-on; the box shower replaces the
  // plain working box. Without them the statement goes as it is.
  // A PDF is written by `deliver`, with the numbered statement, before the
  // hand-on is kept: it gives the failure's text (and then nothing is kept
  // and the recorder gives nothing), or empty when the file is written.
  enum class HandOnWay { kCopy, kPrint, kPdf };
  using Deliver = std::function<QString(const Statement& numbered)>;
  using Recorder = std::function<std::optional<Statement>(
      const Statement&, HandOnWay, const QString& pdfPath, const Deliver& deliver)>;
  using BoxShower = std::function<void(const Statement&)>;
  // The statement as the print preview shows it before it is handed on: with
  // its header, and the 编号 it will carry when that is known already.
  using Previewer = std::function<Statement(const Statement&)>;
  void setRecorder(Recorder recorder) { record_ = std::move(recorder); }
  void setBoxShower(BoxShower shower) { showBox_ = std::move(shower); }
  void setPreviewer(Previewer previewer) { preview_ = std::move(previewer); }
  // The files a PDF or a page printed to a file may never replace (the
  // journal's, while one is open).
  using KeptFiles = std::function<files::WriteOptions()>;
  void setKeptFiles(KeptFiles kept) { kept_ = std::move(kept); }

  void showWorking();  // 计算过程…
  void copy();         // 复制计算结果
  void print();        // 打印计息单…: recorded when the page is sent, not when previewed
  void exportPdf();    // 导出 PDF…

 signals:
  // A run's figures came or went (开始计算, 清空, an input changed).
  void figuresChanged();
  // The statement went on the clipboard, or its PDF was saved at `path`.
  void copied();
  void saved(const QString& path);

 private:
  std::optional<Statement> handOn(const Statement& s, HandOnWay way, const QString& pdfPath = {},
                                  const Deliver& deliver = {});
  std::optional<Statement> statement() const;
  // 计息单-YYYYMMDD-HHMMSS, of the moment the figures were made.
  QString fileBaseName() const;
  // That name with .pdf, in PdfStartFolder().
  QString suggestedPdfPath() const;
  void setTips(const std::optional<FieldValues>& fields);
  // Turns the items on or off; while off, their keys say `why`.
  void setAvailable(bool available, QString why);
  void explainOff(std::size_t item);

  QWidget* window_;
  ControlLookup control_;
  Clock clock_;
  PathChooser choosePath_;
  Recorder record_;
  BoxShower showBox_;
  Previewer preview_;
  KeptFiles kept_;
  QMenu menu_;
  std::array<QAction*, 4> actions_{};
  std::array<QShortcut*, 4> offKeys_{};  // the items' keys while they are off
  std::optional<FieldValues> figures_;
  LocalMoment madeAt_{};  // when setFigures was last given them
  QString whyOff_;        // what the keys say while the items are off
  std::function<void()> help_;
  BatchRunner* batchRunner_ = nullptr;
};

}  // namespace quillbary
