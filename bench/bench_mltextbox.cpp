// bench_mltextbox.cpp - one keystroke in the multi-line text box (a character typed in the
// middle of the text, then Backspace, each followed by the box's layout: scroll range and
// caret place) in a 32 KB text, against the same in a 1 KB text (counter x_1k).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "gui/controls/mltextbox.h"
#include "platform/platform.h"
#include "render/dsf.h"
#include "render/font.h"

namespace {

using benchsupport::CpuSeconds;

// The editor's own font, read for its glyph table only (layout needs no GL pages).
Font* EditorFont() {
    static Font* font = [] {
        std::ifstream in(QK_FONT_PATH, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        DsfFile file;
        return ReadDsf(bytes, file) ? CreateFontFromDsf(file, false) : nullptr;
    }();
    return font;
}

// Translator's text of the given size: mixed scripts, paragraphs, a colour tag now and then.
std::string Sample(size_t size) {
    const char* pieces[] = {
        "The quick brown fox jumps over the lazy dog, again and again. ",
        "Gr\u00F6\u00DFere \u00DCbungen f\u00FCr sch\u00F6ne \u00C4pfel. ",
        ("\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u0435\u0449\u0451 \u044D\u0442\u0438\u0445 "
         "\u0431\u0443\u043B\u043E\u043A! "),
        "<color 255,200,0>Warning:<color default> 9,99 \xE2\x82\xAC\n",
    };
    std::string t;
    for (size_t i = 0; t.size() < size; ++i) t += pieces[i % 4];
    size_t end = size;
    while (end > 0 && (uint8_t(t[end]) & 0xC0) == 0x80) --end;
    t.resize(end);
    return t;
}

// The editor's text box: 380 x 150 pixels.
std::unique_ptr<MLTextBox> MakeBox(size_t size) {
    SetFont(EditorFont());
    auto box = std::make_unique<MLTextBox>();
    box->Size(380, 150);
    if (!box->SetText(Sample(size).c_str())) std::abort();  // a refused text would time nothing
    box->cPos = box->Length() / 2, box->nSel = 0;
    return box;
}

// Seconds per keystroke: the best of several rounds of type + Backspace.
double KeystrokeSeconds(MLTextBox& box, int rounds) {
    double best = 1e9;
    for (int r = 0; r < 5; ++r) {
        const double t0 = CpuSeconds();
        for (int i = 0; i < rounds; ++i) {
            box.OnChar('x');
            box.OnKeyDown(VK_BACK);
        }
        best = std::min(best, (CpuSeconds() - t0) / (2.0 * rounds));
    }
    return best;
}

void BM_Keystroke1K(benchmark::State& state) {
    auto box = MakeBox(1024);
    for (auto _ : state) {
        box->OnChar('x');
        box->OnKeyDown(VK_BACK);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2);
}

// Reports ms_per_key for the 32 KB text and x_1k, its ratio to the 1 KB text measured in
// the same run (a linear layout gives at most 32).
void BM_Keystroke32K(benchmark::State& state) {
    auto small = MakeBox(1024);
    auto big = MakeBox(size_t(MLTextBox::kMaxTextBytes) - 1);  // room for the typed character
    const double perSmall = KeystrokeSeconds(*small, 200);
    double total = 0;
    int64_t keys = 0;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        big->OnChar('x');
        big->OnKeyDown(VK_BACK);
        total += CpuSeconds() - t0;
        keys += 2;
    }
    state.SetItemsProcessed(keys);
    const double perBig = total / double(keys);
    state.counters["ms_per_key"] = perBig * 1e3;
    state.counters["x_1k"] = perBig / perSmall;
}

}  // namespace

BENCHMARK(BM_Keystroke1K);
BENCHMARK(BM_Keystroke32K);
BENCHMARK_MAIN();
