#include "control_table.h"

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
// clang-format off
constexpr std::array kTable{
//            name        kind              caption           left  top   width height tab look          accessible name, frame
  ControlSpec{"Label1",   K::kLabel,        "借款日期",         360,  240,  735,  255,  0, kPlain, "", ""},
  ControlSpec{"Label2",   K::kLabel,        "到期日期",        1680,  240,  735,  255,  1, kPlain, "", ""},
  ControlSpec{"Label3",   K::kLabel,        "还款日期",        3000,  240,  735,  255,  2, kPlain, "", ""},
  ControlSpec{"Label4",   K::kLabel,        "还款金额",        4320,  240,  735,  255,  3, kPlain, "", ""},
  ControlSpec{"Label5",   K::kLabel,        "利率(‰)",         5640,  240,  735,  255,  4, kPlain, "", ""},
  ControlSpec{"Label6",   K::kLabel,        "起息日期",         360, 1080,  855,  255,  5, kPlain, "", ""},
  ControlSpec{"Label7",   K::kLabel,        "正常利息",        3000, 1080,  735,  255,  6, kPlain, "", ""},
  ControlSpec{"Label8",   K::kLabel,        "逾期天数",        4320, 1080,  735,  255,  7, kPlain, "", ""},
  ControlSpec{"Label9",   K::kLabel,        "正常天数",        1680, 1080,  735,  255,  8, kPlain, "", ""},
  ControlSpec{"Label10",  K::kLabel,        "逾期利率(‰)",     5520, 1080, 1095,  255,  9, kPlain, "", ""},
  ControlSpec{"Label11",  K::kLabel,        "逾期利息",         360, 1920,  735,  255, 10, kPlain, "", ""},
  ControlSpec{"jkrq",     K::kDatePicker,   "",                 120,  600, 1245,  285, 11, kPlain,       "借款日期", ""},
  ControlSpec{"dqrq",     K::kDatePicker,   "",                1440,  600, 1245,  285, 12, kPlain,       "到期日期", ""},
  ControlSpec{"hkrq",     K::kDatePicker,   "",                2760,  600, 1245,  285, 13, kPlain,       "还款日期", ""},
  ControlSpec{"qxrq",     K::kDatePicker,   "",                 120, 1440, 1245,  285, 14, kPlain,       "起息日期", ""},
  ControlSpec{"hkje",     K::kTextBox,      "",                4080,  600, 1245,  280, 15, kPlain,       "还款金额", ""},
  ControlSpec{"ll",       K::kTextBox,      "",                5400,  600, 1245,  280, 16, kPlain,       "利率(‰)", ""},
  ControlSpec{"zcts",     K::kTextBox,      "",                1440, 1440, 1245,  280, 17, kBlueResult,  "正常天数", ""},
  ControlSpec{"zclx",     K::kTextBox,      "",                2760, 1440, 1245,  280, 18, kBlueResult,  "正常利息", ""},
  ControlSpec{"yqts",     K::kTextBox,      "",                4080, 1440, 1245,  270, 19, kBlueResult,  "逾期天数", ""},
  ControlSpec{"yqll",     K::kTextBox,      "",                5400, 1440, 1245,  280, 20, kBlueResult,  "逾期利率(‰)", ""},
  ControlSpec{"yqlx",     K::kTextBox,      "",                 120, 2160, 1245,  280, 21, kResult,      "逾期利息", ""},
  ControlSpec{"Command1", K::kCommandButton, "开始计算",       3480, 2640,  975,  495, 22, kPlain,       "开始计算", ""},
  ControlSpec{"Command2", K::kCommandButton, "清空",           4560, 2640,  975,  495, 23, kPlain,       "清空", ""},
  ControlSpec{"Command3", K::kCommandButton, "退出",           5640, 2640,  975,  495, 24, kPlain,       "退出", ""},
  ControlSpec{"Frame1",   K::kFrame,        "请选择还款方式",  1440, 1920, 2415,  550, 25, kPlain, "", ""},
  ControlSpec{"zjlx",     K::kOptionButton, "只结利息",        1560, 2140, 1215,  255, 26, kPlain,       "只结利息", "Frame1"},
  ControlSpec{"hbjx",     K::kOptionButton, "还本结息",        2760, 2140, 1065,  255, 27, kPlain,       "还本结息", "Frame1"},
  ControlSpec{"Label12",  K::kLabel,        "当前日期：",      4320, 2040,  900,  255, 28, kPlain, "", ""},
  ControlSpec{"Label13",  K::kLabel,        "当前时间：",      4320, 2280,  900,  255, 29, kPlain, "", ""},
  ControlSpec{"l2",       K::kLabel,        kNotice,            120, 2640, 3375,  540, 30, kNoticeLook, "", ""},
  ControlSpec{"hj",       K::kTextBox,      "",                1200, 2640, 2175,  495, 31, kTotal,       "合计", ""},
  ControlSpec{"l1",       K::kLabel,        "",                   0, 2640, 1095,  495, 32, kTotalCaption, "", ""},
  ControlSpec{"Text1",    K::kTextBox,      "",                5280, 2000, 1335,  270, 33, kClock,       "当前日期", ""},
  ControlSpec{"Text2",    K::kTextBox,      "",                5280, 2200, 1320,  270, 34, kClock,       "当前时间", ""},
};
// clang-format on

}  // namespace

std::span<const ControlSpec> Controls() {
  return kTable;
}

const ControlSpec* FindControl(std::string_view name) {
  const auto* found = std::find_if(kTable.begin(), kTable.end(),
                                   [name](const ControlSpec& row) { return row.name == name; });
  return found == kTable.end() ? nullptr : found;
}

}  // namespace quillbary
