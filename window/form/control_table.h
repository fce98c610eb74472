// The controls of the window: every control's name, kind, caption, place,
// look and the record member it shows, in one table that Form1 builds itself
// from and that the field values are moved by.
#pragma once

#include <span>
#include <string_view>

#include "quillbary/field_values.h"

namespace quillbary {

// Places and sizes are in twips; 15 twips make one device-independent pixel.
inline constexpr int kTwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline constexpr int kClientWidthTwips = 6780;   // 452 pixels
inline constexpr int kClientHeightTwips = 3300;  // 220 pixels

enum class Kind { kLabel, kTextBox, kCommandButton, kOptionButton, kFrame, kDatePicker };

enum class TextColour { kDefault, kRed, kBlue };

enum class FontRole {
  kWindow,        // the window's own font
  kTotal,         // the total: a Garamond face, 18 pt, bold italic
  kTotalCaption,  // the total's caption: a Song face, 12 pt, bold italic
};

enum class Wrap {
  kNone,
  kAnywhere,  // between any two words or Chinese characters
  kAtBlanks,  // only where the caption has blanks
};

struct Look {
  TextColour text = TextColour::kDefault;
  bool resultBackground = false;  // the scroll-bar colour of the result fields
  FontRole font = FontRole::kWindow;
  bool readOnly = false;
  bool hiddenAtStart = false;
  bool takesFocus = true;   // for text boxes
  Wrap wrap = Wrap::kNone;  // for labels tall enough for two lines
};

// The members of the field record a control shows; null where it shows none.
struct MemberShown {
  std::string FieldValues::*text = nullptr;                  // a text box's text, a label's caption
  std::chrono::year_month_day FieldValues::*date = nullptr;  // a picker's date
  bool FieldValues::*checked = nullptr;                      // an option's choice
  bool FieldValues::*visible = nullptr;                      // whether it is shown
};

struct ControlRow {
  std::string_view name;
  Kind kind;
  std::string_view caption;
  int left, top, width, height;  // twips, from the window's top-left corner
  Look look;
  std::string_view accessibleName;  // what a screen reader announces
  std::string_view parent;          // the frame the control stands in, if any
  MemberShown shows;
};

// The controls in tab order. Labels and the frame hold a place in it but
// never take the focus.
std::span<const ControlRow> Controls();

// The row of `name`, or nullptr.
const ControlRow* FindControl(std::string_view name);

}  // namespace quillbary
