#include <gtest/gtest.h>

#include "tests/support/failure_code.h"

#include "host/bounded_array.h"
#include "host/int16.h"

using host::BoundedArray;
using host::Error;
using host::Int16;

namespace {

using test_support::FailureCodeOf;

TEST(Int16, ArithmeticInsideTheRangeIsExact) {
  EXPECT_EQ((Int16(32766) + Int16(1)).value(), 32767);
  EXPECT_EQ((Int16(-32767) - Int16(1)).value(), -32768);
  EXPECT_EQ(Int16::From(-32768).value(), -32768);
}

TEST(Int16, LeavingTheRangeRaisesOverflow) {
  EXPECT_EQ(FailureCodeOf([] { Int16(32767) + Int16(1); }), host::code::Overflow);
  EXPECT_EQ(FailureCodeOf([] { Int16(-32768) - Int16(1); }), host::code::Overflow);
  EXPECT_EQ(FailureCodeOf([] { Int16::From(32768); }), host::code::Overflow);
  EXPECT_EQ(FailureCodeOf([] { Int16::From(-32769); }), host::code::Overflow);
}

TEST(BoundedArray, HoldsUpperPlusOneEntriesAndRejectsOthers) {
  BoundedArray<std::u16string> a;
  EXPECT_EQ(FailureCodeOf([&] { a[0]; }), host::code::SubscriptOutOfRange);  // no entries before the first Redim
  a.Redim(3);
  EXPECT_EQ(a.size(), 4u);
  a[3] = u"x";
  EXPECT_EQ(a[3], u"x");
  EXPECT_EQ(FailureCodeOf([&] { a[4]; }), host::code::SubscriptOutOfRange);
  EXPECT_EQ(FailureCodeOf([&] { a[-1]; }), host::code::SubscriptOutOfRange);
  a.Redim(0);
  EXPECT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0], u"") << "Redim drops every old entry";
}

}  // namespace
