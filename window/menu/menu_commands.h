// The menu bar's commands that had no item before: checking the journal,
// writing a batch template, and the program's About box.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace quillbary {

class JournalDesk;

// 检查日志: walks the journal's chain and says what it found in a box:
// "日志完好：共 N 条", or "日志有误：第 N 条（编号 …）：…" with the warning icon.
// A journal that cannot be opened is told by the desk.
void CheckJournal(QWidget* parent, JournalDesk* desk);

// Where a template is to be written, given the suggested path; empty to
// cancel.
using TemplateChooser = std::function<QString(QWidget* parent, const QString& suggested)>;
QString ChooseTemplatePath(QWidget* parent, const QString& suggested);

// 写出模板…: the batch's header and worked example row, CSV or XLSX by the
// name chosen; an existing file is never replaced. The path written, or
// empty when cancelled or refused (a box says why).
QString WriteTemplate(QWidget* parent, const TemplateChooser& choose);

// 关于: the program's name, version and what it reckons.
void ShowAbout(QWidget* parent);

}  // namespace quillbary
