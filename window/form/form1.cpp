#include "form/form1.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <array>
#include <utility>

#include "form/control_factory.h"
#include "form/control_table.h"
#include "form/field_binding.h"
#include "form/light_palette.h"
#include "form/rate_tip.h"
#include "form/stale_look.h"
#include "guidance/enter_calculates.h"
#include "guidance/field_focus.h"
#include "guidance/field_menus.h"
#include "guidance/help_box.h"
#include "message_boxes.h"
#include "qt_text.h"
#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/clear.h"
#include "statement/statement_menu.h"

namespace quillbary {
namespace {

// The figures a run writes, drawn grey while they do not answer the inputs:
// the results, the total and its caption.
constexpr std::array<std::string_view, 7> kFigures = {"zcts", "zclx", "yqts", "yqll",
                                                      "yqlx", "hj",   "l1"};

bool TakesFocus(const ControlRow& row) {
  return row.kind != Kind::kLabel && row.kind != Kind::kFrame && row.look.takesFocus;
}

}  // namespace

Form1::Form1(ClockSource clock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      emblemLoading_(
          std::async(std::launch::async, [] { return QImage(QStringLiteral(":/emblem.jpg")); })),
      clock_(std::move(clock)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quillbary"));
  setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
  // A Song face at 9 pt (12 pixels at 96 dots per inch), or one with the same
  // half-width digits, so that a date fits its picker as the layout expects.
  QFont windowFont = font();
  windowFont.setFamilies({"SimSun", "NSimSun", "Noto Sans Mono CJK SC", "WenQuanYi Zen Hei Mono",
                          "Microsoft YaHei", "PingFang SC"});
  windowFont.setPixelSize(12);
  setFont(windowFont);
  setPalette(LightPalette());  // before the controls, which take their colours from it

  QWidget* previousInTabOrder = nullptr;
  controls_.reserve(Controls().size());
  for (const ControlRow& row : Controls()) {
    QWidget* parentWidget = row.parent.empty() ? this : control(row.parent);
    QWidget* widget = CreateControl(row, parentWidget);
    controls_.push_back(widget);
    if (row.kind == Kind::kLabel) widget->lower();  // labels lie on the window, under buttons
    if (TakesFocus(row)) {
      if (previousInTabOrder != nullptr) setTabOrder(previousInTabOrder, widget);
      previousInTabOrder = widget;
    }
  }
  text1_ = qobject_cast<QLineEdit*>(control("Text1"));
  text2_ = qobject_cast<QLineEdit*>(control("Text2"));
  connectCommands();
  std::vector<QWidget*> figures;
  for (std::string_view name : kFigures) figures.push_back(control(name));
  staleLook_ = std::make_unique<StaleLook>(std::move(figures));
  statementMenu_ = new StatementMenu(
      this, [this](std::string_view name) { return control(name); }, clock_);
  statementMenu_->setHelp([this] { ShowHelp(this); });
  connectInputs();
  connectGuidance();
  ShowAnnualRate(qobject_cast<QLineEdit*>(control("ll")));
  control("jkrq")->setFocus();

  timer1_.setObjectName(QStringLiteral("Timer1"));
  timer1_.setInterval(1);
  connect(&timer1_, &QTimer::timeout, this, &Form1::timer1Timer);
  timer1_.start();
}

Form1::~Form1() = default;

void Form1::connectCommands() {
  const std::array commands{
      std::pair{"Command1", &Form1::command1Click},
      std::pair{"Command2", &Form1::command2Click},
      std::pair{"Command3", &Form1::command3Click},
  };
  for (const auto& [name, handler] : commands) {
    connect(qobject_cast<QPushButton*>(control(name)), &QPushButton::clicked, this, handler);
  }
  // Ctrl+Q ends the program as 退出 does.
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
          &Form1::command3Click);
}

// Figures on screen stop being a statement's as soon as an input changes,
// and are drawn as no longer current.
void Form1::connectInputs() {
  const auto forget = [this] {
    statementMenu_->setFigures(std::nullopt);
    staleLook_->inputChanged();
  };
  for (const ControlRow& row : Controls()) {
    QWidget* widget = control(row.name);
    if (row.kind == Kind::kDatePicker) {
      connect(qobject_cast<QDateEdit*>(widget), &QDateEdit::dateChanged, this, forget);
    } else if (row.kind == Kind::kOptionButton) {
      connect(qobject_cast<QAbstractButton*>(widget), &QAbstractButton::toggled, this, forget);
    } else if (row.kind == Kind::kTextBox && !row.look.readOnly) {
      connect(qobject_cast<QLineEdit*>(widget), &QLineEdit::textChanged, this, forget);
    }
  }
}

// Return or Enter in an input computes, and every text field's own menu
// offers the statement's items too.
void Form1::connectGuidance() {
  std::vector<QWidget*> inputs;
  std::vector<QLineEdit*> textFields;
  for (const ControlRow& row : Controls()) {
    const bool typedInto = row.kind == Kind::kTextBox && !row.look.readOnly;
    if (typedInto || row.kind == Kind::kDatePicker) inputs.push_back(control(row.name));
    if (row.kind == Kind::kTextBox && TakesFocus(row)) {
      textFields.push_back(qobject_cast<QLineEdit*>(control(row.name)));
    }
  }
  PressOnEnter(inputs, qobject_cast<QAbstractButton*>(control("Command1")));
  AppendToContextMenus(textFields, statementMenu_->menu()->actions());
}

QWidget* Form1::control(std::string_view name) const {
  const ControlRow* row = FindControl(name);
  if (row == nullptr) return nullptr;
  const auto index = static_cast<std::size_t>(row - Controls().data());
  return index < controls_.size() ? controls_[index] : nullptr;
}

void Form1::command1Click() {
  FieldValues fields = ReadFields(controls_);
  // Each warning shows over the fields as the calculation has left them so far.
  const auto warn = [this, &fields](std::string_view text) {
    WriteFields(fields, controls_);
    ShowWarning(this, text);
  };
  CalculateOutcome outcome;
  try {
    outcome = CalculateWithOutcome(fields, warn);
  } catch (const CalcError& error) {
    const auto* inField = dynamic_cast<const FieldError*>(&error);
    const std::string_view field = inField != nullptr ? inField->field() : std::string_view();
    WriteFields(fields, controls_);
    statementMenu_->setFigures(std::nullopt);
    staleLook_->setStale(Staleness::kRefused);
    ShowError(this, error, FieldCaption(field));
    FocusField(control(field));
    return;
  }
  WriteFields(fields, controls_);
  statementMenu_->setRun(fields, outcome);
  staleLook_->afterRun(outcome, fields);
  FocusField(control(outcome.warnedField));
}

void Form1::command2Click() {
  FieldValues fields = ReadFields(controls_);
  Clear(fields);
  WriteFields(fields, controls_);
  statementMenu_->setFigures(std::nullopt);
  staleLook_->clear();
  FocusField(control("jkrq"));
}

void Form1::command3Click() {
  QCoreApplication::exit(0);
}

void Form1::timer1Timer() {
  if (auto text = clockFace_.DateText(clock_())) text1_->setText(ToQString(*text));
  if (auto text = clockFace_.TimeText(clock_())) text2_->setText(ToQString(*text));
}

// Reaches the window from a right-click or the Menu key anywhere outside a
// field's own text menu.
void Form1::contextMenuEvent(QContextMenuEvent* event) {
  statementMenu_->popup(event->globalPos());
}

void Form1::paintEvent(QPaintEvent*) {
  if (emblemLoading_.valid()) emblem_ = QPixmap::fromImage(emblemLoading_.get());
  QPainter painter(this);
  painter.drawPixmap(0, 0, emblem_);
}

}  // namespace quillbary
