#include "form/control_factory.h"

#include <QDate>
#include <QDateEdit>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>

#include "form/controls/caption_label.h"
#include "form/controls/command_button.h"
#include "form/controls/date_picker.h"
#include "form/controls/frame_box.h"
#include "qt_text.h"
#include "quillbary/calendar.h"
#include "quillbary/field_values.h"

namespace quillbary {
namespace {

// Font sizes are set in pixels, like the places, so that text and controls
// keep their proportions at any screen density: 9 pt, 12 pt and 18 pt at the
// 96 dots per inch the twips are counted in.
QFont FontFor(FontRole role, const QFont& windowFont) {
  QFont font = windowFont;
  switch (role) {
    case FontRole::kWindow:
      return font;
    case FontRole::kTotal:
      // Garamond where it is installed, else a face of the same old-style cut.
      font.setFamilies({"Garamond", "EB Garamond", "EB Garamond 12", "Adobe Garamond Pro",
                        "Cormorant Garamond", "C059", "Georgia", "serif"});
      font.setPixelSize(24);
      break;
    case FontRole::kTotalCaption:
      // A Song (Ming) face with the simplified characters of GB2312.
      font.setFamilies({"宋体-PUA", "SimSun", "宋体", "Noto Serif CJK SC", "Source Han Serif SC",
                        "AR PL UMing CN", "Songti SC", "serif"});
      font.setPixelSize(16);
      break;
  }
  font.setBold(true);
  font.setItalic(true);
  return font;
}

QWidget* NewWidget(const ControlRow& row, QWidget* parent) {
  const QString caption = ToQString(row.caption);
  switch (row.kind) {
    case Kind::kLabel: {
      auto* label = row.look.wrap == Wrap::kAtBlanks ? new CaptionLabel(caption, parent)
                                                     : new QLabel(caption, parent);
      label->setWordWrap(row.look.wrap == Wrap::kAnywhere);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      // The caption stands on the window colour, as the frame, the options and
      // the buttons do; the emblem shows only between controls.
      label->setAutoFillBackground(true);
      return label;
    }
    case Kind::kTextBox: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(row.look.readOnly);
      if (!row.look.takesFocus) {
        // A display, not an input: no focus, no border, and no background of
        // its own, so that the date and the time below it, whose places
        // overlap by a few pixels, never cover each other's characters.
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setFrame(false);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        edit->setPalette(palette);
      }
      return edit;
    }
    case Kind::kCommandButton:
      return new CommandButton(caption, parent);
    case Kind::kOptionButton:
      return new QRadioButton(caption, parent);
    case Kind::kFrame:
      return new FrameBox(caption, parent);
    case Kind::kDatePicker: {
      auto* picker = new DatePicker(parent);
      picker->setDisplayFormat("yyyy-MM-dd");
      picker->setCalendarPopup(true);
      picker->setDateRange(ToQDate(kFirstDate), ToQDate(kLastDate));
      picker->setDate(ToQDate(kPickerStartDate));
      return picker;
    }
  }
  return nullptr;
}

void ApplyLook(const ControlRow& row, QWidget* widget) {
  QPalette palette = widget->palette();
  const bool isLabel = row.kind == Kind::kLabel;
  if (row.look.text != TextColour::kDefault) {
    const QColor colour = row.look.text == TextColour::kRed ? QColor(255, 0, 0) : QColor(0, 0, 255);
    palette.setColor(isLabel ? QPalette::WindowText : QPalette::Text, colour);
  }
  if (row.look.resultBackground) {
    // The scroll-bar colour of the classic desktop is the light grey between
    // the window colour and the shadows: the palette's Midlight.
    palette.setColor(QPalette::Base, palette.color(QPalette::Midlight));
  }
  if (row.kind == Kind::kCommandButton) {
    palette.setColor(QPalette::Button, palette.color(QPalette::Window));
  }
  widget->setPalette(palette);
  widget->setFont(FontFor(row.look.font, widget->font()));
}

}  // namespace

QWidget* CreateControl(const ControlRow& row, QWidget* parent) {
  QWidget* widget = NewWidget(row, parent);
  widget->setObjectName(ToQString(row.name));
  ApplyLook(row, widget);

  int left = row.left;
  int top = row.top;
  if (const ControlRow* frame = FindControl(row.parent)) {
    left -= frame->left;
    top -= frame->top;
  }
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(row.width),
                      TwipsToPixels(row.height));
  if (!row.accessibleName.empty()) widget->setAccessibleName(ToQString(row.accessibleName));
  widget->setHidden(row.look.hiddenAtStart);
  return widget;
}

}  // namespace quillbary
