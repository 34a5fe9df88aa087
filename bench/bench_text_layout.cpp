// bench_text_layout.cpp - what a text box recomputes on every keystroke for a 32 KB
// mixed-script text (measuring, fitting lines, finding the caret's place), each timed as
// a ratio to merely decoding the same bytes with DecodeUtf8 (counter x_decode, lower is better).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "render/font.h"

namespace {

using benchsupport::CpuSeconds;

// A font the size of the shipped one (about 1,700 glyphs over the same blocks), made in
// memory: layout needs only the glyph table, no pages on a GPU.
Font* BenchFont() {
    static Font* font = [] {
        DsfFile file;
        file.height = 15;
        file.asciiDirect = 1;
        const std::pair<int32_t, int32_t> blocks[] = {
            {0x20, 0x7F},     {0xA0, 0x24F},    {0x370, 0x3FF},   {0x400, 0x52F},   {0x1E00, 0x1EFF},
            {0x1F00, 0x1FFF}, {0x2000, 0x206F}, {0x20A0, 0x20BF}, {0x2100, 0x214F},
        };
        for (auto [first, last] : blocks)
            for (int32_t c = first; c <= last; ++c) {
                const int16_t advance = int16_t(4 + c % 7);
                file.glyphs.push_back({c, 0, 0, 0, advance, advance});
            }
        DsfPage page;
        page.width = page.height = 1;
        page.texWidth = page.texHeight = 1;
        page.alpha = {0};
        file.pages.push_back(page);
        return CreateFontFromDsf(file, false);
    }();
    return font;
}

// 32 KB of paragraphs in English, German, French, Greek and Russian with typographic
// punctuation and the odd colour tag, cut at a character boundary.
const std::string& Text() {
    static const std::string text = [] {
        const char* pieces[] = {
            "The quick brown fox jumps over the lazy dog, again and again. ",
            "Größere Übungen für schöne Äpfel — „Grüße“ aus Köln… ",
            "Ça m’étonne : « déjà vu » à l’hôtel, n’est-ce pas ? ",
            "Η γρήγορη καφέ αλεπού πηδά πάνω από τον τεμπέλη σκύλο. ",
            "Съешь же ещё этих мягких французских булок, да выпей чаю! ",
            "<color 255,200,0>Warning:<color default> 9,99 € – 100 %™\n",
        };
        std::string t;
        for (size_t i = 0; t.size() < 32768; ++i) {
            t += pieces[i % 6];
            if (i % 7 == 6) t += "\n";
        }
        size_t end = 32768;
        while (end > 0 && (uint8_t(t[end]) & 0xC0) == 0x80) --end;
        t.resize(end);
        return t;
    }();
    return text;
}

int64_t DecodeAll(const std::string& text) {
    int64_t sum = 0;
    for (size_t pos = 0; pos < text.size();) {
        int32_t c;
        pos += size_t(DecodeUtf8(text.data() + pos, c));
        sum += c;
    }
    return sum;
}

// Seconds for one DecodeUtf8 pass over the text: the best of several timed rounds.
double DecodeSeconds() {
    static const double seconds = [] {
        double best = 1e9;
        for (int round = 0; round < 7; ++round) {
            const double t0 = CpuSeconds();
            for (int i = 0; i < 50; ++i) benchmark::DoNotOptimize(DecodeAll(Text()));
            best = std::min(best, (CpuSeconds() - t0) / 50);
        }
        return best;
    }();
    return seconds;
}

// Runs body per iteration and reports its time as a multiple of one decoding pass.
template <typename Body>
void RunRatio(benchmark::State& state, Body body) {
    const double decode = DecodeSeconds();
    SetFont(BenchFont());
    const double t0 = CpuSeconds();
    for (auto _ : state) body();
    const double per = (CpuSeconds() - t0) / double(state.iterations());
    state.counters["x_decode"] = per / decode;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Text().size()));
}

constexpr float kBoxWidth = 380;  // the editor's text box, in pixels

void BM_Decode(benchmark::State& state) {
    RunRatio(state, [] { benchmark::DoNotOptimize(DecodeAll(Text())); });
}

void BM_Measure(benchmark::State& state) {
    RunRatio(state, [] { benchmark::DoNotOptimize(MeasureText(Text().c_str(), int(Text().size()), BenchFont())); });
}

void BM_FitAllLines(benchmark::State& state) {
    RunRatio(state, [] { benchmark::DoNotOptimize(TextHeight(kBoxWidth, 0, Text().c_str(), 0, -1)); });
}

void BM_CaretPosition(benchmark::State& state) {
    RunRatio(state, [] { benchmark::DoNotOptimize(TextEndPos(BenchFont(), kBoxWidth, Text().c_str(), -1)); });
}

// All three, as the multi-line text box does after a keystroke at the end of the text.
void BM_Keystroke(benchmark::State& state) {
    RunRatio(state, [] {
        const char* t = Text().c_str();
        benchmark::DoNotOptimize(MeasureText(t, int(Text().size()), BenchFont()));
        benchmark::DoNotOptimize(TextHeight(kBoxWidth, 0, t, 0, -1));
        benchmark::DoNotOptimize(TextEndPos(BenchFont(), kBoxWidth, t, -1));
    });
}

}  // namespace

BENCHMARK(BM_Decode);
BENCHMARK(BM_Measure);
BENCHMARK(BM_FitAllLines);
BENCHMARK(BM_CaretPosition);
BENCHMARK(BM_Keystroke);
BENCHMARK_MAIN();
