// The program's window: the client area of Form1, 452 × 220 pixels with its
// controls in their places, under a menu bar that names every command, and
// over a status line where copying and saving confirm themselves. The
// window is as much taller as the menu bar and the status line are.
#pragma once

#include <QMainWindow>

#include "menu/menu_commands.h"

namespace quillbary {

class Form1;
class JournalDesk;
class StatusLine;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Takes `form` as its client area. The menus reuse the form's commands
  // and the statement's, the journal's and the batch's actions, with their
  // keys and enabled states.
  MainWindow(Form1* form, JournalDesk* desk);

  Form1* form() const { return form_; }
  StatusLine* statusLine() const { return statusLine_; }
  void setTemplateChooser(TemplateChooser chooser) { chooseTemplate_ = std::move(chooser); }

 private:
  void buildMenus();
  void connectConfirmations();
  void writeTemplate();

  Form1* form_;
  JournalDesk* desk_;
  StatusLine* statusLine_;
  TemplateChooser chooseTemplate_ = ChooseTemplatePath;
};

}  // namespace quillbary
