#include "reports/compute/distribution.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavo::reports {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Sum of (x - mean)^power.
double CentralSum(std::span<const double> xs, double mean, int power) {
  double s = 0;
  for (double x : xs) s += std::pow(x - mean, power);
  return s;
}

}  // namespace

double Mean(std::span<const double> xs) {
  if (xs.empty()) return kNaN;
  double s = 0;
  for (double x : xs) s += x;
  return s / static_cast<double>(xs.size());
}

double Median(std::vector<double> xs) {
  if (xs.empty()) return kNaN;
  const std::size_t mid = xs.size() / 2;
  std::nth_element(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(mid), xs.end());
  const double upper = xs[mid];
  if (xs.size() % 2) return upper;
  const double lower = *std::max_element(xs.begin(), xs.begin() + static_cast<std::ptrdiff_t>(mid));
  return (lower + upper) / 2;
}

double PopulationSd(std::span<const double> xs) {
  if (xs.empty()) return kNaN;
  return std::sqrt(CentralSum(xs, Mean(xs), 2) / static_cast<double>(xs.size()));
}

double SampleSd(std::span<const double> xs) {
  if (xs.size() < 2) return kNaN;
  return std::sqrt(CentralSum(xs, Mean(xs), 2) / static_cast<double>(xs.size() - 1));
}

double Skewness(std::span<const double> xs) {
  const double n = static_cast<double>(xs.size());
  const double s = SampleSd(xs);
  if (n < 3 || !(s > 0)) return kNaN;
  return n / ((n - 1) * (n - 2)) * CentralSum(xs, Mean(xs), 3) / (s * s * s);
}

double Kurtosis(std::span<const double> xs) {
  const double n = static_cast<double>(xs.size());
  const double s = SampleSd(xs);
  if (n < 4 || !(s > 0)) return kNaN;
  const double fourth = CentralSum(xs, Mean(xs), 4) / (s * s * s * s);
  return n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * fourth - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3));
}

double Pearson(std::span<const double> x, std::span<const double> y) {
  if (x.size() != y.size() || x.size() < 2) return kNaN;
  const double mx = Mean(x), my = Mean(y);
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  if (!(sxx > 0) || !(syy > 0)) return kNaN;
  return sxy / std::sqrt(sxx * syy);
}

double CronbachAlpha(const std::vector<std::vector<double>>& items) {
  const std::size_t k = items.size();
  if (k < 2 || items[0].size() < 2) return kNaN;
  std::vector<double> sums(items[0].size(), 0);
  double itemVariances = 0;
  for (const auto& item : items) {
    const double sd = PopulationSd(item);
    itemVariances += sd * sd;
    for (std::size_t p = 0; p < item.size(); ++p) sums[p] += item[p];
  }
  const double sd = PopulationSd(sums);
  if (!(sd > 0)) return kNaN;
  const double kk = static_cast<double>(k);
  return kk / (kk - 1) * (1 - itemVariances / (sd * sd));
}

double RoundHalfUp(double x, int digits) {
  const double scale = std::pow(10.0, digits);
  // The nudge keeps 2.675 at 2.68, as the spreadsheet rounds what it shows.
  const double scaled = std::fabs(x) * scale * (1 + 4 * std::numeric_limits<double>::epsilon());
  return std::copysign(std::floor(scaled + 0.5) / scale, x);
}

}  // namespace tavo::reports
