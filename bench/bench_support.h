// bench_support.h - what the ratio benchmarks share: a sample text, a clock of this thread's CPU time
// (the machine may be busy with other work, which wall time would count) and the best of
// a few rounds, so one slow round from a neighbour does not skew a ratio.
#pragma once

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <string>

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

// German of about `bytes` bytes with a misspelling ("Fehlr"), colour tags, placeholders and
// line feeds, cut at a character boundary: what the spelling and checking benchmarks read.
inline std::string GermanSample(size_t bytes) {
    const char* pieces[] = {
        "Größere Übungen für schöne Äpfel — „Grüße“ aus Köln… ",
        "Der schnelle braune Fuchs springt über den faulen Hund. ",
        "<color 255,200,0>Achtung:<color default> %d Münzen für {name}, Stufe 3.\n",
        "Ein Fehlr im Text, der unterstrichen werden muss. ",
    };
    std::string t;
    for (size_t i = 0; t.size() <= bytes; ++i) t += pieces[i % 4];
    size_t end = bytes;
    while (end > 0 && (uint8_t(t[end]) & 0xC0) == 0x80) --end;
    t.resize(end);
    return t;
}

}  // namespace benchsupport
