// Timings of the calculation core: each conversion on the texts a clerk
// types, one whole Calculate on the worked example, and the two readers and
// the money format on long texts up to the 32767 characters a text box holds,
// to show that their time grows in step with the length.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quillbary/calc_error.h"
#include "quillbary/calculate.h"
#include "quillbary/calendar.h"
#include "quillbary/clock_face.h"
#include "quillbary/number_format.h"
#include "quillbary/number_parse.h"
#include "quillbary/typed_number.h"

namespace quillbary {
namespace {

using std::chrono::year_month_day;

constexpr year_month_day Ymd(int y, unsigned m, unsigned d) {
  return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

// Registers `fn` once for each case of `cases`, as "name/label". Each case is
// run on its own, so every row of the table is one call.
template <typename Case, typename Fn>
void RegisterCases(const char* name, const std::vector<Case>& cases, Fn fn) {
  for (const Case& c : cases) {
    const std::string label = std::string(name) + "/" + c.label;
    benchmark::RegisterBenchmark(label.c_str(), [c, fn](benchmark::State& state) {
      for (auto _ : state) fn(c);
    });
  }
}

struct TextCase {
  const char* label;
  std::string_view text;
};

struct NumberCase {
  const char* label;
  double value;
};

struct DaysCase {
  const char* label;
  year_month_day from, to;
};

struct ClockCase {
  const char* label;
  LocalMoment moment;
  std::string_view pattern;
};

// Field texts as the window holds them: the amount, the rate, the day counts
// and the interests written back before they get the money format.
void RegisterConversions() {
  RegisterCases<TextCase>("ParseLeadingNumber",
                          {{"amount", "10000"}, {"days", "181"}, {"interest", "320.37"}},
                          [](const TextCase& c) {
                            benchmark::DoNotOptimize(ParseLeadingNumber(c.text));
                          });
  RegisterCases<TextCase>("ParseNumberStrict",
                          {{"rate", "5.31"}, {"overdue_rate", " 7.965"}, {"grouped", "1,000.5"}},
                          [](const TextCase& c) {
                            benchmark::DoNotOptimize(ParseNumberStrict(c.text));
                          });
  RegisterCases<TextCase>(
      "ReadTypedNumber",
      {{"amount", "10000"}, {"grouped_amount", "10,000.50"}, {"rate", "5.31"}},
      [](const TextCase& c) {
        benchmark::DoNotOptimize(ReadTypedNumber(
            c.text, c.text == "5.31" ? TypedField::kRate : TypedField::kAmount));
      });
  RegisterCases<NumberCase>("NumberToText",
                            {{"daily_rate", 5.31 / 30000}, {"amount", 10000}, {"third", 1.0 / 3}},
                            [](const NumberCase& c) {
                              benchmark::DoNotOptimize(NumberToText(c.value));
                            });
  RegisterCases<NumberCase>("NumberToSignedText",
                            {{"overdue_rate", 1.5 * 5.31}, {"interest", 320.37}, {"zero", 0}},
                            [](const NumberCase& c) {
                              benchmark::DoNotOptimize(NumberToSignedText(c.value));
                            });
  RegisterCases<NumberCase>("IntegerToText", {{"normal_days", 181}, {"overdue_days", 91}},
                            [](const NumberCase& c) {
                              benchmark::DoNotOptimize(
                                  IntegerToText(static_cast<std::int64_t>(c.value)));
                            });
  RegisterCases<TextCase>(
      "FormatTwoDecimals",
      {{"normal_interest", "320.37"}, {"overdue_interest", "241.605"}, {"total", "10561.975"}},
      [](const TextCase& c) { benchmark::DoNotOptimize(FormatTwoDecimals(c.text)); });
  RegisterCases<DaysCase>("DayDifference",
                          {{"normal", Ymd(2009, 1, 1), Ymd(2009, 7, 1)},
                           {"overdue", Ymd(2009, 7, 1), Ymd(2009, 9, 30)},
                           {"whole_range", kFirstDate, kLastDate}},
                          [](const DaysCase& c) {
                            benchmark::DoNotOptimize(DayDifference(c.from, c.to));
                          });
  const LocalMoment moment = std::chrono::local_days{Ymd(2009, 3, 1)} + std::chrono::hours{9} +
                             std::chrono::minutes{5} + std::chrono::seconds{7};
  RegisterCases<ClockCase>(
      "FormatClock", {{"date", moment, kDatePattern}, {"time", moment, kTimePattern}},
      [](const ClockCase& c) { benchmark::DoNotOptimize(FormatClock(c.moment, c.pattern)); });
  RegisterCases<NumberCase>("Round15",
                            {{"daily_rate", 5.31 / 30000}, {"overdue_daily_rate", 7.965 / 30000},
                             {"sum", 0.1 + 0.2}},
                            [](const NumberCase& c) { benchmark::DoNotOptimize(Round15(c.value)); });
}

// The clock's tick, its part in the core: within the second shown, which is
// almost every tick of a 1 ms clock, both fields are left alone; on a new
// second the time text is written. Beside them, one read of the system clock,
// which the window's tick does twice and the bare 1 ms timer once.
void BM_ClockTick_same_second(benchmark::State& state) {
  const LocalMoment moment = std::chrono::local_days{Ymd(2009, 3, 1)} + std::chrono::hours{9};
  ClockFace face;
  face.DateText(moment);
  face.TimeText(moment);
  for (auto _ : state) {
    benchmark::DoNotOptimize(face.DateText(moment));
    benchmark::DoNotOptimize(face.TimeText(moment));
  }
}
BENCHMARK(BM_ClockTick_same_second);

void BM_ClockTick_new_second(benchmark::State& state) {
  LocalMoment moment = std::chrono::local_days{Ymd(2009, 3, 1)} + std::chrono::hours{9};
  ClockFace face;
  face.DateText(moment);
  for (auto _ : state) {
    moment += std::chrono::seconds{1};
    benchmark::DoNotOptimize(face.DateText(moment));
    benchmark::DoNotOptimize(face.TimeText(moment));
  }
}
BENCHMARK(BM_ClockTick_new_second);

void BM_SystemClockNow(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(std::chrono::system_clock::now());
}
BENCHMARK(BM_SystemClockNow);

// The worked example: 10000 at 5.31 per mille, lent and interest from
// 2009-01-01, due 2009-07-01, repaid 2009-09-30. Each run starts from a fresh
// copy of the inputs, as the window reads a fresh record on each click.
FieldValues WorkedExample(bool interestOnly) {
  FieldValues f;
  f.jkrq = Ymd(2009, 1, 1);
  f.dqrq = Ymd(2009, 7, 1);
  f.hkrq = Ymd(2009, 9, 30);
  f.qxrq = Ymd(2009, 1, 1);
  f.hkje = "10000";
  f.ll = "5.31";
  f.zjlx = interestOnly;
  f.hbjx = !interestOnly;
  return f;
}

void BM_Calculate(benchmark::State& state) {
  const FieldValues inputs = WorkedExample(state.range(0) != 0);
  int warnings = 0;
  const WarningSink warn = [&warnings](std::string_view) { ++warnings; };
  for (auto _ : state) {
    FieldValues fields = inputs;
    Calculate(fields, warn);
    benchmark::DoNotOptimize(fields);
  }
  FieldValues check = inputs;
  Calculate(check, warn);
  const std::string_view expected = state.range(0) != 0 ? "561.98" : "10561.98";
  if (warnings != 0 || check.hj != expected) state.SkipWithError("the worked example is wrong");
}
BENCHMARK(BM_Calculate)->ArgName("zjlx")->Arg(1)->Arg(0);

// Long texts of exactly `length` characters that each reader takes whole.
//
// Lenient: an amount whose digits are grouped by blanks, as pasted from a
// report, "0.123 456 789 012 ...": every blank must be dropped and every
// digit read.
std::string LongLenientText(std::size_t length) {
  std::string text = "0.";
  for (int digit = 1; text.size() < length; ++digit) {
    if (digit % 4 == 0) {
      text += ' ';
    } else {
      text += static_cast<char>('0' + digit % 10);
    }
  }
  return text;
}

// Strict: blanks around a number with comma-grouped integer digits and a long
// fraction, " 1,000,000,...,000.1234...  ". The integer part stays near
// 1E+150, well inside the double range.
std::string LongStrictText(std::size_t length) {
  std::string text = " 1";
  for (int group = 0; group < 50; ++group) text += ",000";
  text += '.';
  for (int digit = 1; text.size() + 1 < length; ++digit) {
    text += static_cast<char>('0' + digit % 10);
  }
  text += ' ';
  return text;
}

// The money format: a long fraction below one, " 0.123456...": read, rounded
// to 15 digits, then to the fen.
std::string LongMoneyText(std::size_t length) {
  std::string text = " 0.";
  for (int digit = 1; text.size() < length; ++digit) {
    text += static_cast<char>('0' + digit % 10);
  }
  return text;
}

template <typename Result>
void RunOnLongText(benchmark::State& state, std::string (*make)(std::size_t),
                   Result (*convert)(std::string_view)) {
  const std::string text = make(static_cast<std::size_t>(state.range(0)));
  try {
    convert(text);
  } catch (const CalcError&) {
    state.SkipWithError("the long text is not a number");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(convert(text));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_ParseLeadingNumber_long(benchmark::State& state) {
  RunOnLongText(state, LongLenientText, ParseLeadingNumber);
}
void BM_ParseNumberStrict_long(benchmark::State& state) {
  RunOnLongText(state, LongStrictText, ParseNumberStrict);
}
void BM_FormatTwoDecimals_long(benchmark::State& state) {
  RunOnLongText(state, LongMoneyText, FormatTwoDecimals);
}

constexpr int kShortestLong = 1 << 10;
constexpr int kLongestText = 32767;
BENCHMARK(BM_ParseLeadingNumber_long)
    ->RangeMultiplier(2)
    ->Range(kShortestLong, kLongestText)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ParseNumberStrict_long)
    ->RangeMultiplier(2)
    ->Range(kShortestLong, kLongestText)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_FormatTwoDecimals_long)
    ->RangeMultiplier(2)
    ->Range(kShortestLong, kLongestText)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace quillbary

int main(int argc, char** argv) {
  quillbary::RegisterConversions();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
