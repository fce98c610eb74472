// A refusal as the tests expect it: its kind and, where the kind names them,
// the row and the count. The words are made from these in one place, and
// tested there once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "quillbary/batch_error.h"

namespace quillbary::batch {

struct Refusal {
  BatchProblem problem;
  std::int64_t row = 0;
  std::uint64_t number = 0;
  const char* detail = nullptr;  // the name it carries, when not null
  std::int64_t column = 0;       // when not 0
};

// Whether `error` is `expected`; a count of 0 is not compared (where the
// count is the reader's own limit), nor a detail
// left null or a column left 0.
inline void ExpectFacts(const BatchFileError& error, const Refusal& expected) {
  EXPECT_EQ(error.problem(), expected.problem) << error.what();
  EXPECT_EQ(error.facts().row, expected.row) << error.what();
  if (expected.number != 0) {
    EXPECT_EQ(error.facts().number, expected.number) << error.what();
  }
  if (expected.column != 0) {
    EXPECT_EQ(error.facts().column, expected.column) << error.what();
  }
  if (expected.detail != nullptr) {
    EXPECT_EQ(error.facts().detail, expected.detail) << error.what();
  }
}

// Runs `read`: it must throw `expected` when there is one, and nothing else.
template <typename Read>
void ExpectReadOrRefusal(const Read& read, const std::optional<Refusal>& expected) {
  try {
    read();
    EXPECT_FALSE(expected.has_value()) << "read without an error";
  } catch (const BatchFileError& e) {
    ASSERT_TRUE(expected.has_value()) << e.what();
    ExpectFacts(e, *expected);
  }
}

}  // namespace quillbary::batch
