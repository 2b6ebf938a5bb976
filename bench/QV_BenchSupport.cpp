#include "QV_BenchSupport.h"

#include <cstdio>

void PrintResult(const std::string& name, double figure, double reference, const std::string& unit,
                 double target)
{
    const double ratio = reference > 0 ? figure / reference : 0;
    std::printf("RESULT %s figure=%.4g%s reference=%.4g%s ratio=%.3f target<=%.3g\n", name.c_str(), figure,
                unit.c_str(), reference, unit.c_str(), ratio, target);
    std::fflush(stdout);
}

void PrintFigure(const std::string& name, double figure, const std::string& unit)
{
    std::printf("RESULT %s figure=%.4g%s reference=n/a ratio=n/a target<=n/a\n", name.c_str(), figure,
                unit.c_str());
    std::fflush(stdout);
}

void PrintComparison(const std::string& name, double figure, double reference, const std::string& unit)
{
    const double ratio = reference > 0 ? figure / reference : 0;
    std::printf("RESULT %s figure=%.4g%s reference=%.4g%s ratio=%.3f target<=n/a\n", name.c_str(), figure,
                unit.c_str(), reference, unit.c_str(), ratio);
    std::fflush(stdout);
}
