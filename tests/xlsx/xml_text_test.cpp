// Numbers written by the quick way read exactly as the general shortest
// text writes them: a file's bytes do not depend on which way was taken.
#include "host/xlsx/xml_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>

namespace tavo::testing {
namespace {

std::string Shortest(double x) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, x).ptr);
}

TEST(NumberTextTest, EveryNumberReadsAsTheShortestText) {
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1, -1, 9.5, 99999, 100000, -100000, 110000, 120000, 200000,
                                1000000, 1e8, 999999999, 999999999.5, 1e9, 1e9 + 0.5, 123456789.5, 0.1 + 0.2, 78.1,
                                -78.1, 0.05, 1e-7, 3.14159, std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::infinity(), std::nan("")};
  std::mt19937_64 random(11);
  for (int i = 0; i < 200000; ++i) {
    const long long n = static_cast<long long>(random() % 2000000001) - 1000000000;
    values.push_back(static_cast<double>(n));       // ranks, counts
    values.push_back(static_cast<double>(n) / 10);  // scores with a decimal
    values.push_back(static_cast<double>(n % 3000) / 2);
    values.push_back(static_cast<double>(n % 30 + 1) * std::pow(10.0, static_cast<int>(random() % 9)));
    values.push_back(static_cast<double>(n) / 7);  // shares, averages
  }
  int mismatches = 0;
  for (double x : values) {
    char buf[xlsx::kMaxNumberText];
    const std::string quick(buf, xlsx::WriteNumberText(buf, x));
    if (quick != Shortest(x) && ++mismatches <= 5) ADD_FAILURE() << Shortest(x) << " written as " << quick;
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace tavo::testing
