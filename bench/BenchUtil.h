#pragma once
// Timing helpers shared by the benchmarks: the median of repeated runs.

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace Bench {

// Median wall time in milliseconds of runs calls of f, after one warm-up.
inline double MedianMs(int runs, const std::function<void()> &f)
{
    f();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void Report(const char *what, double ours, const char *baseline, double base, double limit)
{
    const double ratio = ours / base;
    std::printf("%-34s %9.2f ms\n%-34s %9.2f ms\nratio %.2f (target at most %.1f): %s\n", what, ours, baseline, base,
                ratio, limit, ratio <= limit ? "met" : "NOT MET");
}

} // namespace Bench
