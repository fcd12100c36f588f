// Descriptive statistics of one list of numbers, as a spreadsheet's
// functions give them: AVERAGE, MEDIAN, STDEV.P, STDEV.S, SKEW, KURT,
// PEARSON. Each returns NaN where the function gives an error (too few
// numbers, no spread).
#pragma once

#include <span>
#include <vector>

namespace tavo::reports {

double Mean(std::span<const double>);
double Median(std::vector<double>);
double PopulationSd(std::span<const double>);  // STDEV.P
double SampleSd(std::span<const double>);      // STDEV.S
double Skewness(std::span<const double>);      // SKEW: n >= 3
double Kurtosis(std::span<const double>);      // KURT: n >= 4
double Pearson(std::span<const double> x, std::span<const double> y);

// Cronbach's alpha of k items over the same people (items[i][person]):
// k/(k-1) * (1 - sum of item variances / variance of the sums); NaN for
// fewer than two items or people, or sums without spread.
double CronbachAlpha(const std::vector<std::vector<double>>& items);

// Rounded half away from zero, as ROUND does (2.5 -> 3, -2.5 -> -3).
double RoundHalfUp(double x, int digits = 0);

}  // namespace tavo::reports
