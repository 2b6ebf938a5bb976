#pragma once
// Every benchmark ends with one line per target:
//   RESULT <name> figure=<value><unit> reference=<value><unit> ratio=<r> target<=<t>
// where the figure and the reference were measured in the same run.

#include <string>
#include <vector>

void PrintResult(const std::string& name, double figure, double reference, const std::string& unit,
                 double target);

// A figure and its reference where no target is set: target<=n/a.
void PrintComparison(const std::string& name, double figure, double reference, const std::string& unit);

// A target on the figure itself rather than on the ratio: target<=<limit><unit>.
void PrintLimit(const std::string& name, double figure, double reference, const std::string& unit, double limit);

// A figure without a reference but with a limit of its own: target<=<limit><unit>.
void PrintFigureLimit(const std::string& name, double figure, const std::string& unit, double limit);

// A figure without a measured reference (reported only): ratio and target are "n/a".
void PrintFigure(const std::string& name, double figure, const std::string& unit);

// The least any folder listing must do, the reference of the listing
// benchmarks: readdir plus one statx per entry. Answers a sum of the sizes.
long long PlainReaddirStatx(const std::string& folder);

double MedianOf(std::vector<double> values);

// Makes the folder the program folder of this process (the working folder,
// with Data/Settings.QVS holding "[Qorvel]" and settingsLines), so a bench
// that runs the view never touches real settings. False when it cannot.
bool UseOwnProgramFolder(const std::string& folder, const std::string& settingsLines = {});

// Median wall time in microseconds of `runs` calls of fn.
template <typename Fn>
double MedianMicros(int runs, Fn&& fn);

#include "QV_BenchSupport.inl"
