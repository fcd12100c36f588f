#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "host/value.h"

using namespace tavo::host;

TEST(NumberText, DefaultFormFollowsTheRuntime) {
  EXPECT_EQ(numberToText(105), "105");
  EXPECT_EQ(numberToText(0.5), "0.5");
  EXPECT_EQ(numberToText(-2), "-2");
  EXPECT_EQ(numberToText(0.00001), "1E-05");
  EXPECT_EQ(numberToText(0.0001), "0.0001");
  EXPECT_EQ(numberToText(1e15), "1E+15");
  EXPECT_EQ(numberToText(999999999999999.0), "999999999999999");
  EXPECT_EQ(numberToText(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(numberToText(-0.0), "0");
  EXPECT_EQ(numberToText(1.0 / 3), "0.333333333333333");
  // Any double as the runtime's "%.15G" writes it: scores, ranks, rates,
  // huge and tiny ones.
  std::mt19937_64 random(5);
  for (int i = 0; i < 200000; ++i) {
    double x;
    if (i % 3 == 0) x = static_cast<double>(random() % 3001) / 20;
    else if (i % 3 == 1) x = std::ldexp(static_cast<double>(random() % (1ull << 53)), static_cast<int>(random() % 200) - 120);
    else {
      const std::uint64_t bits = random();
      std::memcpy(&x, &bits, sizeof x);
      if (!std::isfinite(x) || x == 0) continue;
    }
    if (x == 0) continue;  // "0", also for -0, as the runtime shows it
    if (i % 2) x = -x;
    char expected[40];
    std::snprintf(expected, sizeof expected, "%.15G", x);
    ASSERT_EQ(numberToText(x), expected) << i;
  }
}

TEST(NumberText, DecimalTextIsRecognisedStrictly) {
  EXPECT_EQ(parseDecimal(" 88 "), 88);
  EXPECT_EQ(parseDecimal("1e3"), 1000);
  EXPECT_EQ(parseDecimal("-.5"), -0.5);
  EXPECT_EQ(parseDecimal("+7."), 7);
  EXPECT_EQ(parseDecimal("12a"), std::nullopt);
  EXPECT_EQ(parseDecimal("1e"), std::nullopt);
  EXPECT_EQ(parseDecimal(""), std::nullopt);
  EXPECT_EQ(parseDecimal("   "), std::nullopt);
  EXPECT_EQ(parseDecimal("1,000"), std::nullopt);
  EXPECT_EQ(parseDecimal("0x10"), std::nullopt);
  EXPECT_EQ(parseDecimal("inf"), std::nullopt);
  EXPECT_EQ(parseDecimal("1e999"), std::nullopt);
}

TEST(Conversions, AsNumberAndAsInteger) {
  EXPECT_EQ(toNumber(Value()), 0);
  EXPECT_EQ(toNumber(Value("  42")), 42);
  try {
    toNumber(Value("缺考"));
    FAIL() << "text read as a number";
  } catch (const HostError& e) {
    EXPECT_EQ(e.number, 13);
    EXPECT_EQ(e.description, "类型不匹配");
  }
  EXPECT_THROW(toNumber(Value(ErrorKind::NA)), HostError);
  EXPECT_EQ(toInteger(Value(2.5)), 2);
  EXPECT_EQ(toInteger(Value(3.5)), 4);
  EXPECT_EQ(toInteger(Value(-2.5)), -2);
  EXPECT_EQ(toInteger(Value("45")), 45);
  try {
    toInteger(Value(3e9));
    FAIL();
  } catch (const HostError& e) {
    EXPECT_EQ(e.number, 6);
  }
}

TEST(Conversions, ThresholdComparison) {
  EXPECT_TRUE(atOrAbove(Value(), 0));
  EXPECT_FALSE(atOrAbove(Value(), 0.5));
  EXPECT_TRUE(atOrAbove(Value(60), 60));
  EXPECT_FALSE(atOrAbove(Value(59.5), 60));
  EXPECT_TRUE(atOrAbove(Value("班级"), 1e300));  // the header stops a downward stride
  EXPECT_TRUE(atOrAbove(Value(ErrorKind::Div0), 1e300));
}

TEST(Errors, TextsRoundTrip) {
  for (auto k : {ErrorKind::Div0, ErrorKind::Value, ErrorKind::Ref, ErrorKind::NA, ErrorKind::Name,
                 ErrorKind::Num, ErrorKind::Null})
    EXPECT_EQ(errorFromText(errorText(k)), k);
  EXPECT_EQ(errorFromText("#FOO"), std::nullopt);
  EXPECT_EQ(errorText(ErrorKind::Null), "#NULL!") << "its own error, not #VALUE!";
}
