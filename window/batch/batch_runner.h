// 批量计算…: the batch over a spreadsheet, from the window. The clerk picks a
// file; the rows are calculated on worker threads under a progress dialog
// that can be cancelled (and then nothing is written); the summary is shown,
// then a save dialog puts the results where the clerk says, once the run is
// recorded. The window's own fields are not touched.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QString>
#include <functional>

#include "quillbary/journal.h"
#include "quillbary/safe_file.h"

namespace quillbary {

class BatchRunner : public QObject {
  Q_OBJECT

 public:
  // The file to calculate, or empty to cancel.
  using OpenChooser = std::function<QString(QWidget* parent)>;
  // Where to save the results, given the suggested path; empty to cancel.
  using SaveChooser = std::function<QString(QWidget* parent, const QString& suggested)>;
  // Shows the summary of a finished run.
  using SummaryShower = std::function<void(QWidget* parent, const QString& summary)>;
  // Records a run whose results are whole and about to take their place,
  // calling putInPlace() inside the record's transaction; false (having told
  // the clerk why) refuses, and nothing is saved.
  using Recorder =
      std::function<bool(const journal::BatchRunRecord& run, const std::function<void()>& putInPlace)>;
  // The files the results must never replace: the journal, its -wal and -shm.
  using KeptFiles = std::function<files::WriteOptions()>;
  // Whether a run could be recorded, asked before it starts so that a
  // journal that cannot be opened stops it at once; false has told why.
  using RecordCheck = std::function<bool()>;

  explicit BatchRunner(QWidget* window);

  void setOpenChooser(OpenChooser chooser) { chooseInput_ = std::move(chooser); }
  void setSaveChooser(SaveChooser chooser) { chooseOutput_ = std::move(chooser); }
  void setSummaryShower(SummaryShower shower) { showSummary_ = std::move(shower); }
  void setRecorder(Recorder recorder, RecordCheck canRecord, KeptFiles kept) {
    record_ = std::move(recorder);
    canRecord_ = std::move(canRecord);
    kept_ = std::move(kept);
  }

  // The whole errand: choose, calculate, summary, save.
  void run();

 signals:
  // The results were saved at `path`.
  void saved(const QString& path);

 private:
  QWidget* window_;
  OpenChooser chooseInput_;
  SaveChooser chooseOutput_;
  SummaryShower showSummary_;
  Recorder record_;
  RecordCheck canRecord_;
  KeptFiles kept_;
};

// Adds 批量计算… (Ctrl+B), always enabled, to `menu`, its shortcut working on
// `window` without the menu open; returns the BatchRunner it starts.
BatchRunner* AddBatchItem(QMenu* menu, QWidget* window);

}  // namespace quillbary
