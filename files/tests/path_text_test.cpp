// A path made from UTF-8 gives the same UTF-8 back, on every system, for any
// text of the characters a clerk's folders are named with.
#include <gtest/gtest.h>

#include <random>

#include "quillbary/path_text.h"

namespace quillbary::files {
namespace {

TEST(PathText, Utf8RoundTripsThroughAPath) {
  const std::vector<std::string> pieces = {"贷款资料", "月末", "结果", ".csv", " ", "-", "a",
                                           "Z", "0", "（", "）", "‰", "…", "é", "𠀋"};
  std::mt19937 random(20261210);
  for (int i = 0; i < 500; ++i) {
    std::string text;
    const int count = 1 + static_cast<int>(random() % 6);
    for (int j = 0; j < count; ++j) text += pieces[random() % pieces.size()];
    EXPECT_EQ(Utf8Of(PathOfUtf8(text)), text);
    EXPECT_EQ(Utf8Of(PathOfUtf8(text).filename()), text);
  }
}

}  // namespace
}  // namespace quillbary::files
