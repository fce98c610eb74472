#include "form/control_table.h"

#include <algorithm>
#include <array>

namespace quillbary {
namespace {

constexpr Look kPlain{};
constexpr Look kNoticeLook{.text = TextColour::kRed, .wrap = Wrap::kAnywhere};
constexpr Look kClock{.text = TextColour::kRed, .readOnly = true, .takesFocus = false};
constexpr Look kBlueResult{.text = TextColour::kBlue, .resultBackground = true, .readOnly = true};
constexpr Look kResult{.resultBackground = true, .readOnly = true};
constexpr Look kTotal{.text = TextColour::kBlue,
                      .resultBackground = true,
                      .font = FontRole::kTotal,
                      .readOnly = true,
                      .hiddenAtStart = true};
constexpr Look kTotalCaption{.text = TextColour::kRed,
                             .font = FontRole::kTotalCaption,
                             .hiddenAtStart = true,
                             .wrap = Wrap::kAtBlanks};

// The notice that stands in the bottom row until a total is shown.
constexpr std::string_view kNotice = "注：利率为月利率(‰)，每月按30天计；逾期利率为利率的1.5倍。";

using K = Kind;
using F = FieldValues;
constexpr MemberShown Text(std::string F::*text) {
  return {.text = text};
}
constexpr MemberShown Date(std::chrono::year_month_day F::*date) {
  return {.date = date};
}
constexpr MemberShown Choice(bool F::*checked) {
  return {.checked = checked};
}

// clang-format off
constexpr std::array kTable{
//           name        kind              caption           left  top   width height look          accessible name, frame, record member shown
  ControlRow{"Label1",   K::kLabel,        "借款日期",         360,  240,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label2",   K::kLabel,        "到期日期",        1680,  240,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label3",   K::kLabel,        "还款日期",        3000,  240,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label4",   K::kLabel,        "还款金额",        4320,  240,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label5",   K::kLabel,        "利率(‰)",         5640,  240,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label6",   K::kLabel,        "起息日期",         360, 1080,  855,  255, kPlain, "", "", {}},
  ControlRow{"Label7",   K::kLabel,        "正常利息",        3000, 1080,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label8",   K::kLabel,        "逾期天数",        4320, 1080,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label9",   K::kLabel,        "正常天数",        1680, 1080,  735,  255, kPlain, "", "", {}},
  ControlRow{"Label10",  K::kLabel,        "逾期利率(‰)",     5520, 1080, 1095,  255, kPlain, "", "", {}},
  ControlRow{"Label11",  K::kLabel,        "逾期利息",         360, 1920,  735,  255, kPlain, "", "", {}},
  ControlRow{"jkrq",     K::kDatePicker,   "",                 120,  600, 1245,  285, kPlain,       "借款日期", "", Date(&F::jkrq)},
  ControlRow{"dqrq",     K::kDatePicker,   "",                1440,  600, 1245,  285, kPlain,       "到期日期", "", Date(&F::dqrq)},
  ControlRow{"hkrq",     K::kDatePicker,   "",                2760,  600, 1245,  285, kPlain,       "还款日期", "", Date(&F::hkrq)},
  ControlRow{"qxrq",     K::kDatePicker,   "",                 120, 1440, 1245,  285, kPlain,       "起息日期", "", Date(&F::qxrq)},
  ControlRow{"hkje",     K::kTextBox,      "",                4080,  600, 1245,  280, kPlain,       "还款金额", "", Text(&F::hkje)},
  ControlRow{"ll",       K::kTextBox,      "",                5400,  600, 1245,  280, kPlain,       "利率(‰)", "", Text(&F::ll)},
  ControlRow{"zcts",     K::kTextBox,      "",                1440, 1440, 1245,  280, kBlueResult,  "正常天数", "", Text(&F::zcts)},
  ControlRow{"zclx",     K::kTextBox,      "",                2760, 1440, 1245,  280, kBlueResult,  "正常利息", "", Text(&F::zclx)},
  ControlRow{"yqts",     K::kTextBox,      "",                4080, 1440, 1245,  270, kBlueResult,  "逾期天数", "", Text(&F::yqts)},
  ControlRow{"yqll",     K::kTextBox,      "",                5400, 1440, 1245,  280, kBlueResult,  "逾期利率(‰)", "", Text(&F::yqll)},
  ControlRow{"yqlx",     K::kTextBox,      "",                 120, 2160, 1245,  280, kResult,      "逾期利息", "", Text(&F::yqlx)},
  ControlRow{"Command1", K::kCommandButton, "开始计算",       3480, 2640,  975,  495, kPlain,       "开始计算", "", {}},
  ControlRow{"Command2", K::kCommandButton, "清空",           4560, 2640,  975,  495, kPlain,       "清空", "", {}},
  ControlRow{"Command3", K::kCommandButton, "退出",           5640, 2640,  975,  495, kPlain,       "退出", "", {}},
  ControlRow{"Frame1",   K::kFrame,        "请选择还款方式",  1440, 1920, 2415,  550, kPlain, "", "", {}},
  ControlRow{"zjlx",     K::kOptionButton, "只结利息",        1560, 2140, 1215,  255, kPlain,       "只结利息", "Frame1", Choice(&F::zjlx)},
  ControlRow{"hbjx",     K::kOptionButton, "还本结息",        2760, 2140, 1065,  255, kPlain,       "还本结息", "Frame1", Choice(&F::hbjx)},
  ControlRow{"Label12",  K::kLabel,        "当前日期：",      4320, 2040,  900,  255, kPlain, "", "", {}},
  ControlRow{"Label13",  K::kLabel,        "当前时间：",      4320, 2280,  900,  255, kPlain, "", "", {}},
  ControlRow{"l2",       K::kLabel,        kNotice,            120, 2640, 3375,  540, kNoticeLook, "", "", {.visible = &F::l2Visible}},
  ControlRow{"hj",       K::kTextBox,      "",                1200, 2640, 2175,  495, kTotal,       "合计", "", {.text = &F::hj, .visible = &F::hjVisible}},
  ControlRow{"l1",       K::kLabel,        "",                   0, 2640, 1095,  495, kTotalCaption, "", "", {.text = &F::l1Caption, .visible = &F::l1Visible}},
  ControlRow{"Text1",    K::kTextBox,      "",                5280, 2000, 1335,  270, kClock,       "当前日期", "", {}},
  ControlRow{"Text2",    K::kTextBox,      "",                5280, 2200, 1320,  270, kClock,       "当前时间", "", {}},
};
// clang-format on

// A member is shown only by a control that can hold it.
constexpr bool ShowsWhatItsKindHolds(const ControlRow& row) {
  const MemberShown& shows = row.shows;
  return (shows.text == nullptr || row.kind == K::kTextBox || row.kind == K::kLabel) &&
         (shows.date == nullptr || row.kind == K::kDatePicker) &&
         (shows.checked == nullptr || row.kind == K::kOptionButton);
}
static_assert(std::ranges::all_of(kTable, ShowsWhatItsKindHolds));

}  // namespace

std::span<const ControlRow> Controls() {
  return kTable;
}

const ControlRow* FindControl(std::string_view name) {
  const auto* found = std::find_if(kTable.begin(), kTable.end(),
                                   [name](const ControlRow& row) { return row.name == name; });
  return found == kTable.end() ? nullptr : found;
}

}  // namespace quillbary
