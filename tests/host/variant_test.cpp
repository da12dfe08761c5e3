#include <gtest/gtest.h>

#include "tests/support/failure_code.h"

#include "host/variant.h"

using host::Error;
using host::Variant;
namespace code = host::code;

namespace {

using test_support::FailureCodeOf;

struct Thing : host::Object {};

TEST(Variant, KindsAreToldApart) {
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_TRUE(Variant::MakeNull().IsNull());
  EXPECT_TRUE(Variant::Missing().IsMissing());
  EXPECT_EQ(Variant::Missing().ErrorValue(), 0x80020004u);
  EXPECT_FALSE(Variant::MakeError(5).IsMissing());
  EXPECT_TRUE(Variant(host::True).IsBool());
  EXPECT_TRUE(Variant(std::int16_t{3}).IsInt16());
  EXPECT_TRUE(Variant(std::int32_t{3}).IsInt32());
  EXPECT_TRUE(Variant(u"a").IsText());
  EXPECT_TRUE(Variant(std::make_shared<Thing>()).IsObject());
  EXPECT_NE(Variant(std::int16_t{3}), Variant(std::int32_t{3}));
}

TEST(Variant, TextConversionFollowsTheRuntime) {
  EXPECT_EQ(Variant().ToText(), u"");
  EXPECT_EQ(Variant(std::int32_t{-42}).ToText(), u"-42");
  EXPECT_EQ(Variant(host::True).ToText(), u"True");
  EXPECT_EQ(FailureCodeOf([] { Variant::MakeNull().ToText(); }), code::InvalidUseOfNull);
  EXPECT_EQ(FailureCodeOf([] { Variant::Missing().ToText(); }), code::TypeMismatch);
  EXPECT_EQ(FailureCodeOf([] { Variant(std::make_shared<Thing>()).ToText(); }), code::TypeMismatch);
}

TEST(Variant, NumberConversionChecksRange) {
  EXPECT_EQ(Variant(std::int32_t{32767}).ToInt16().value(), 32767);
  EXPECT_EQ(FailureCodeOf([] { Variant(std::int32_t{32768}).ToInt16(); }), code::Overflow);
  EXPECT_EQ(Variant(u" 12 ").ToInt32(), 12);
  EXPECT_EQ(FailureCodeOf([] { Variant(u"12a").ToInt32(); }), code::TypeMismatch);
  EXPECT_EQ(FailureCodeOf([] { Variant(u"99999999999").ToInt32(); }), code::Overflow);
  EXPECT_EQ(FailureCodeOf([] { Variant::MakeNull().ToInt32(); }), code::InvalidUseOfNull);
  EXPECT_EQ(Variant().ToInt32(), 0);
}

TEST(Variant, ObjectsAndTakeAs) {
  auto thing = std::make_shared<Thing>();
  EXPECT_EQ(Variant(thing).ToObject(), thing);
  EXPECT_EQ(FailureCodeOf([] { Variant(u"x").ToObject(); }), code::TypeMismatch);
  struct Other : host::Object {};
  host::Ref<host::Object> other = std::make_shared<Other>();
  EXPECT_EQ(FailureCodeOf([&] { host::TakeAs<Thing>(other); }), code::TypeMismatch);
  EXPECT_EQ(host::TakeAs<Thing>(host::Ref<host::Object>()), nullptr);
  EXPECT_EQ(FailureCodeOf([] { host::Deref(host::Ref<Thing>()); }), code::ObjectNotSet);
}

}  // namespace
