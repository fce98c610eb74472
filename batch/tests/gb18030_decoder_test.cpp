// The GB18030 decoder, on either system's side: whole characters decoded, a
// character cut at the block's end kept for the next block, and bytes that
// are no GB18030 named as such.
#include <gtest/gtest.h>

#include "../src/gb18030_decoder.h"

namespace quillbary::batch::detail {
namespace {

using Result = Gb18030Decoder::Result;

struct DecodeCase {
  const char* name;
  std::string raw;
  std::string text;      // appended
  std::string left;      // still in raw
  Result result;
};

class Gb18030DecoderTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(Gb18030DecoderTest, DecodesWholeCharactersAndKeepsACutOne) {
  Gb18030Decoder decoder;
  ASSERT_TRUE(decoder.Usable());
  std::string raw = GetParam().raw;
  std::string text = "前";
  EXPECT_EQ(decoder.Decode(raw, text), GetParam().result);
  EXPECT_EQ(text, "前" + GetParam().text);
  EXPECT_EQ(raw, GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Gb18030DecoderTest,
    testing::Values(
        DecodeCase{"ascii", "a,1\r\n", "a,1\r\n", "", Result::kDone},
        DecodeCase{"two_byte_characters", "\xBD\xE8\xBF\xEE", "借款", "", Result::kDone},
        DecodeCase{"cut_after_a_lead_byte", "\xBD\xE8\xBF", "借", "\xBF", Result::kCutOff},
        DecodeCase{"a_byte_no_character_starts_with", "\xBD\xE8\x80x", "借", "\x80x",
                   Result::kInvalid},
        DecodeCase{"a_bad_second_byte", "a\xBD\x20", "a", "\xBD\x20", Result::kInvalid}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbary::batch::detail
