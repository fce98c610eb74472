#include "quillbary/clear.h"

#include <gtest/gtest.h>

#include "print_fields.h"

namespace quillbary {
namespace {

TEST(Clear, EmptiesTheFiguresAndKeepsDatesAndMethod) {
  FieldValues shown;
  shown.jkrq = std::chrono::year{2009} / 1 / 1;
  shown.dqrq = std::chrono::year{2009} / 7 / 1;
  shown.hkrq = std::chrono::year{2009} / 9 / 30;
  shown.qxrq = std::chrono::year{2009} / 1 / 2;
  shown.hkje = "10000";
  shown.ll = "5.31";
  shown.zcts = "181";
  shown.zclx = "320.37";
  shown.yqts = "91";
  shown.yqll = " 7.965";
  shown.yqlx = "241.61";
  shown.hj = "561.98";
  shown.zjlx = true;
  shown.l1Caption = " 利息  合计";
  shown.l1Visible = true;
  shown.l2Visible = false;
  shown.hjVisible = true;

  FieldValues expected;        // as at start...
  expected.jkrq = shown.jkrq;  // ...but for the dates and the method
  expected.dqrq = shown.dqrq;
  expected.hkrq = shown.hkrq;
  expected.qxrq = shown.qxrq;
  expected.zjlx = true;

  FieldValues fields = shown;
  Clear(fields);
  EXPECT_EQ(fields, expected);
  Clear(fields);
  EXPECT_EQ(fields, expected) << "a second clear changes nothing";
}

}  // namespace
}  // namespace quillbary
