#include "batch/batch_runner.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "batch/run_record.h"
#include "qt_text.h"
#include "message_boxes.h"
#include "quillbary/batch_file.h"
#include "quillbary/batch_run.h"

namespace quillbary {

using namespace batch;  // the batch room's run, files and errors

namespace {

const QString kTitle = QStringLiteral("批量计算");


QString DefaultOpenChooser(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("选择要批量计算的文件"), {},
                                      QStringLiteral("表格 (*.csv *.xlsx);;所有文件 (*)"));
}

QString DefaultSaveChooser(QWidget* parent, const QString& suggested) {
  const bool xlsx = suggested.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
  return QFileDialog::getSaveFileName(
      parent, QStringLiteral("保存计算结果"), suggested,
      xlsx ? QStringLiteral("Excel 工作簿 (*.xlsx)") : QStringLiteral("CSV 文件 (*.csv)"));
}

// One figure a line: 读取 10 行 / 已算出 2 行 / 日期有误 1 行 / 未算出 7 行 /
// 正常利息之和 566.40 / ... / 本息合计之和 10246.03.
void DefaultSummaryShower(QWidget* parent, const QString& summary) {
  QString lines = summary;
  lines.replace(QStringLiteral("；"), QStringLiteral("\n"));
  QMessageBox box(QMessageBox::Information, kTitle, lines, QMessageBox::Ok, parent);
  box.setAccessibleName(QStringLiteral("批量计算结果摘要"));
  box.exec();
}

// A finished run: its summary (with the digest of the file it read) and the
// digest of the results it wrote.
struct Finished {
  BatchSummary summary;
  std::string resultSha256;
};

// What the worker thread hands back: the finished run, or why it stopped.
struct Outcome {
  std::variant<std::monostate, Finished, QString> result;  // monostate: cancelled
};

// Runs the batch on a worker thread under a progress dialog; returns when it
// ends, with the summary, the failure's text or nothing when cancelled.
Outcome RunWithProgress(QWidget* parent, const std::filesystem::path& input,
                        const std::filesystem::path& output) {
  std::atomic<bool> cancelled = false;
  std::atomic<long long> rows = 0;
  std::atomic<int> permille = 0;
  Outcome outcome;
  QThread* worker = QThread::create([&] {
    try {
      const BatchSummary summary = RunBatch(input, output, [&](const BatchProgress& p) {
        rows = p.rows;
        permille = static_cast<int>(p.fraction * 1000);
        return !cancelled.load();
      });
      // Here rather than at the save, so that the window does not wait on it.
      outcome.result = Finished{summary, journal::FileSha256(output)};
    } catch (const BatchCancelled&) {
    } catch (const std::exception& e) {
      outcome.result = QString::fromUtf8(e.what());
    }
  });

  QProgressDialog progress(QStringLiteral("正在读取……"), QStringLiteral("取消"), 0, 1000, parent);
  progress.setWindowTitle(kTitle);
  progress.setAccessibleName(kTitle);
  // The bar named for a screen reader; the label and 取消 read themselves.
  progress.findChild<QProgressBar*>()->setAccessibleName(QStringLiteral("批量计算进度"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(400);  // a short run ends before it shows
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, &progress, [&] {
    if (progress.wasCanceled()) cancelled = true;
    progress.setValue(permille);
    progress.setLabelText(QStringLiteral("已读 %1 行").arg(rows.load()));
  });
  QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] { cancelled = true; });
  QEventLoop wait;
  QObject::connect(worker, &QThread::finished, &wait, &QEventLoop::quit);
  tick.start(100);
  worker->start();
  wait.exec();
  worker->wait();
  delete worker;
  if (cancelled) outcome.result = std::monostate{};
  return outcome;
}

// Copies the finished file to where the clerk chose, whole or not at all,
// never over the input, the journal or anything but a regular file.
// `record` is given the copy, whole and synced, to put in place inside its
// transaction; false leaves the target as it was. The failure's text, or
// empty.
QString SaveCopy(const std::filesystem::path& from, const QString& to,
                 const files::WriteOptions& kept,
                 const files::SafeFile::Recorder& record) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return QStringLiteral("无法读取计算结果的临时文件");
  try {
    files::SafeFile file(PathOf(to), kept);
    std::string block(1 << 16, '\0');
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
      file.Write(std::string_view(block.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad()) return QStringLiteral("读取计算结果的临时文件时出错");
    file.CommitRecorded(record);  // a refusal was told already, the target left as it was
    return {};
  } catch (const files::FileError& e) {
    return QString::fromStdString(e.reason);
  }
}

}  // namespace

BatchRunner::BatchRunner(QWidget* window)
    : QObject(window),
      window_(window),
      chooseInput_(DefaultOpenChooser),
      chooseOutput_(DefaultSaveChooser),
      showSummary_(DefaultSummaryShower) {
  setObjectName(QStringLiteral("batchRunner"));
}

void BatchRunner::run() {
  const QString inputName = chooseInput_(window_);
  if (inputName.isEmpty()) return;
  if (canRecord_ && !canRecord_()) return;
  const std::filesystem::path input = PathOf(inputName);
  const bool xlsx = IsXlsxName(input);
  QTemporaryDir scratch;
  if (!scratch.isValid()) {
    ShowFailure(window_, kTitle,
                QStringLiteral("无法建立临时文件夹：%1").arg(scratch.errorString()));
    return;
  }
  const std::filesystem::path result =
      PathOf(scratch.filePath(xlsx ? QStringLiteral("结果.xlsx") : QStringLiteral("结果.csv")));

  const Outcome outcome = RunWithProgress(window_, input, result);
  if (std::holds_alternative<std::monostate>(outcome.result)) return;
  if (const auto* failure = std::get_if<QString>(&outcome.result)) {
    ShowFailure(window_, kTitle, QStringLiteral("批量计算未能完成：\n%1").arg(*failure));
    return;
  }
  const Finished& finished = std::get<Finished>(outcome.result);
  const BatchSummary& summary = finished.summary;
  showSummary_(window_, QString::fromUtf8(SummaryText(summary).c_str()));

  const QString target = chooseOutput_(window_, TextOf(DefaultOutputPath(input)));
  if (target.isEmpty()) return;
  if (QFileInfo(target).canonicalFilePath() == QFileInfo(inputName).canonicalFilePath()) {
    ShowFailure(window_, kTitle, QStringLiteral("结果不能保存到输入文件本身：\n%1").arg(target));
    return;
  }
  bool refused = false;  // the recorder refused the run, and told why
  const auto recorded = [&](const std::function<void()>& putInPlace) {
    if (!record_) return true;
    // Each count by its name, the very figures of the summary shown.
    refused = !record_(RunRecord(TextOf(std::filesystem::absolute(input)).toStdString(),
                                 TextOf(std::filesystem::absolute(PathOf(target))).toStdString(),
                                 summary, finished.resultSha256),
                       putInPlace);
    return !refused;
  };
  files::WriteOptions kept = kept_ ? kept_() : files::WriteOptions{};
  kept.kept.push_back({"输入文件", input});
  if (const QString error = SaveCopy(result, target, kept, recorded); !error.isEmpty()) {
    ShowFailure(window_, kTitle, QStringLiteral("结果未能保存到：\n%1\n\n%2").arg(target, error));
    return;
  }
  if (!refused) emit saved(target);
}

BatchRunner* AddBatchItem(QMenu* menu, QWidget* window) {
  auto* runner = new BatchRunner(window);
  QAction* action = menu->addAction(QStringLiteral("批量计算…"));
  action->setObjectName(QStringLiteral("batchAction"));
  action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  action->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(action, &QAction::triggered, runner, &BatchRunner::run);
  window->addAction(action);
  return runner;
}

}  // namespace quillbary
