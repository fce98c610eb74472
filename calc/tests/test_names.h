// Names each parameterised row after its `name` field, so a failure says
// which case broke.
#pragma once

#include <gtest/gtest.h>

namespace quillbary {

struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    return info.param.name;
  }
};

}  // namespace quillbary
