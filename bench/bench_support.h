// bench_support.h - what the ratio benchmarks share: a clock of this thread's CPU time
// (the machine may be busy with other work, which wall time would count) and the best of
// a few rounds, so one slow round from a neighbour does not skew a ratio.
#pragma once

#include <time.h>

#include <algorithm>

namespace benchsupport {

inline double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

template <typename Body>
double BestSeconds(Body body, int rounds) {
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const double t0 = CpuSeconds();
        body();
        best = std::min(best, CpuSeconds() - t0);
    }
    return best;
}

}  // namespace benchsupport
