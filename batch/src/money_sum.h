// A sum of money texts, exact to the fen however many rows a file has.
#pragma once

#include <string>
#include <string_view>

namespace quillbary::batch::detail {

class MoneySum {
 public:
  // Adds a total ("561.98", "-3.5", "1.5E+20"); once a text is no money text
  // or the sum leaves the range kept, the sum is out of range for good.
  void Add(std::string_view total);
  // "11123.96", or "超出范围".
  std::string Text() const;

 private:
  // A money text's value in fen, kept exactly for any sum of a file's totals.
  __extension__ typedef __int128 Fen;
  Fen fen_ = 0;
  bool inRange_ = true;
};

}  // namespace quillbary::batch::detail
