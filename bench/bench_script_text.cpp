// bench_script_text.cpp - 32 KB of Arabic and of Thai (words, spaces and paragraphs as a
// translator writes them) laid out and drawn, each as a ratio to 32 KB of English measured
// in the same run (counters *_x_latin, lower is better), and one keystroke in the
// multi-line text box holding the Arabic: an Arabic letter typed in the middle, then the
// box's Update and Draw as a frame makes them (counter ms_per_key, split into type_ms and
// frame_ms, with the same for the English text as x_latin).
//
// Runs on the scripted test backend with a real GL context (run under xvfb-run). Times are
// this thread's CPU time up to glFinish: what the GL driver does on this thread (taking the
// quads, flushing them at a texture change) counts, its rasterising threads do not.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>

#include "bench/bench_support.h"
#include "engine/engine.h"
#include "gui/controls/mltextbox.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace {

using benchsupport::BestSeconds;
using benchsupport::CpuSeconds;

constexpr float kBoxWidth = 380;  // the editor's text box, in pixels

void StartEngine() {
    static bool started = false;
    if (started) return;
    started = true;
    InstallGui();
    InitEngine("script text bench");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Begin2D();
    if (Font* font = LoadFont(QK_FONT_PATH)) SetFont(font);
}

// The pieces repeated, in order, until the text holds `bytes` bytes, cut at a character
// boundary. Each list is the same game text in its language: sentences, a colour tag, a
// placeholder, line feeds closing paragraphs.
std::string Repeat(const char* const* pieces, size_t count, size_t bytes) {
    std::string t;
    for (size_t i = 0; t.size() <= bytes; ++i) t += pieces[i % count];
    size_t end = bytes;
    while (end > 0 && (uint8_t(t[end]) & 0xC0) == 0x80) --end;
    t.resize(end);
    return t;
}

constexpr const char* kLatin[] = {
    "Welcome to the old town. ",
    "Press the button to start a new game, then choose how hard it should be. ",
    "You received an iron sword and three shields. ",
    "<color 255,200,0>Warning:<color default> you only have %d gold coins left.\n",
    "You must find the key before sunset, or the guard will close the gate. ",
    "Do you want to save your progress before you leave?\n",
};
constexpr const char* kArabic[] = {
    "مرحبا بك في المدينة القديمة. ",
    "اضغط على الزر لبدء لعبة جديدة، ثم اختر مستوى الصعوبة. ",
    "لقد حصلت على سيف من الحديد وثلاثة دروع. ",
    "<color 255,200,0>تحذير:<color default> لم يبق لديك سوى %d قطعة ذهبية.\n",
    "يجب أن تجد المفتاح قبل غروب الشمس، وإلا سيغلق الحارس البوابة. ",
    "هل تريد حفظ تقدمك قبل أن تغادر؟\n",
};
constexpr const char* kThai[] = {
    "ยินดีต้อนรับสู่เมืองเก่า ",
    "กดปุ่มเพื่อเริ่มเกมใหม่ แล้วเลือกระดับความยาก ",
    "คุณได้รับดาบเหล็กและโล่สามอัน ",
    "<color 255,200,0>คำเตือน:<color default> คุณเหลือเหรียญทองเพียง %d เหรียญ\n",
    "คุณต้องหากุญแจให้เจอก่อนพระอาทิตย์ตก ไม่อย่างนั้นยามจะปิดประตูเมือง ",
    "คุณต้องการบันทึกความคืบหน้าก่อนออกไปหรือไม่\n",
};

// One byte short of the box's limit less a letter, so that the typed letter always fits.
constexpr size_t kTextBytes = size_t(TextEdit::kMaxTextBytes) - 3;

const std::string& Latin() {
    static const std::string t = Repeat(kLatin, std::size(kLatin), kTextBytes);
    return t;
}
const std::string& Arabic() {
    static const std::string t = Repeat(kArabic, std::size(kArabic), kTextBytes);
    return t;
}
const std::string& Thai() {
    static const std::string t = Repeat(kThai, std::size(kThai), kTextBytes);
    return t;
}

// What a text box recomputes after a change: the wrapped height and the caret's place.
void LayOut(const std::string& text) {
    benchmark::DoNotOptimize(TextHeight(kBoxWidth, 0, text.c_str(), 0, -1));
    benchmark::DoNotOptimize(TextEndPos(GetFont(), kBoxWidth, text.c_str(), -1));
}

// Every line of the text, wrapped to the box and drawn (h 0: a box 32,000 pixels tall).
void Draw(const std::string& text) {
    SetColor(MakeColor(0, 0, 0));
    benchmark::DoNotOptimize(DrawTextBox(10, 10, kBoxWidth, 0, text.c_str(), 0, ALIGN_LEFT, -1, 0));
    // The rendering is counted for every script: the GL driver may do it here or at any
    // earlier state query, and a query in one drawer and not in the other would otherwise
    // count it for one script only.
    glFinish();
}

struct Times {
    double layout, draw;
};
Times Measure(const std::string& text) {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    return {BestSeconds([&] { LayOut(text); }, 7), BestSeconds([&] { Draw(text); }, 7)};
}

// Reports layout and drawing of the script's text against the English text.
void RunScript(benchmark::State& state, const std::string& text) {
    StartEngine();
    const Times latin = Measure(Latin());
    Times script{};
    for (auto _ : state) script = Measure(text);
    state.counters["layout_ms"] = script.layout * 1e3;
    state.counters["draw_ms"] = script.draw * 1e3;
    state.counters["layout_x_latin"] = script.layout / latin.layout;
    state.counters["draw_x_latin"] = script.draw / latin.draw;
    state.counters["x_latin"] = (script.layout + script.draw) / (latin.layout + latin.draw);
    state.counters["latin_ms"] = (latin.layout + latin.draw) * 1e3;
}

void BM_Arabic(benchmark::State& state) { RunScript(state, Arabic()); }
void BM_Thai(benchmark::State& state) { RunScript(state, Thai()); }

// ---- one keystroke in the text box ----

// The editor's text box, 380 x 150, alone on a sheet, focused, the caret in the middle.
MLTextBox* MakeBox(const char* sheet, const std::string& text) {
    CreateTopControl("Sheet", sheet, nullptr, 0, 0, 800, 600);
    const std::string name = std::string(sheet) + "_box";
    auto* box = dynamic_cast<MLTextBox*>(CreateControl("MLTextBox", name.c_str(), sheet, 400, 130, 380, 150));
    if (!box || !box->SetText(text.c_str())) std::abort();  // a refused text would time nothing
    box->cPos = box->Length() / 2;
    while (box->cPos > 0 && (uint8_t(text[size_t(box->cPos)]) & 0xC0) == 0x80) --box->cPos;
    box->nSel = 0;
    SetActiveSheet(sheet);
    SetFocusTo(name.c_str());
    return box;
}

// Seconds for typing `letter` (the box lays its text out again and scrolls to the caret)
// and for the frame's Update and Draw of the box after it; Backspace after each, untimed,
// keeps the text as it was.
struct KeyTimes {
    double type = 0, frame = 0;
    double Total() const { return type + frame; }
};
KeyTimes KeystrokeSeconds(MLTextBox& box, int32_t letter, int keys) {
    KeyTimes sum;
    for (int i = 0; i < keys; ++i) {
        const double t0 = CpuSeconds();
        box.OnChar(letter);
        const double t1 = CpuSeconds();
        box.Update(1.0f / 60);
        box.Draw();
        glFinish();
        sum.frame += CpuSeconds() - t1;
        sum.type += t1 - t0;
        box.OnKeyDown(VK_BACK);
    }
    return {sum.type / keys, sum.frame / keys};
}

KeyTimes BestKeystroke(MLTextBox& box, int32_t letter, int rounds) {
    KeyTimes best{1e9, 1e9};
    for (int round = 0; round < rounds; ++round) {
        const KeyTimes t = KeystrokeSeconds(box, letter, 20);
        if (t.Total() < best.Total()) best = t;
    }
    return best;
}

void BM_KeystrokeArabic(benchmark::State& state) {
    StartEngine();
    const KeyTimes latin = BestKeystroke(*MakeBox("LatinSheet", Latin()), 'e', 5);
    MLTextBox* arabic = MakeBox("ArabicSheet", Arabic());
    KeyTimes best{1e9, 1e9};
    for (auto _ : state) {
        const KeyTimes t = BestKeystroke(*arabic, 0x0628, 1);  // beh
        if (t.Total() < best.Total()) best = t;
    }
    state.counters["ms_per_key"] = best.Total() * 1e3;
    state.counters["type_ms"] = best.type * 1e3;
    state.counters["frame_ms"] = best.frame * 1e3;
    state.counters["latin_ms_per_key"] = latin.Total() * 1e3;
    state.counters["x_latin"] = best.Total() / latin.Total();
    SetActiveSheet(nullptr);
    DestroyControl("LatinSheet");
    DestroyControl("ArabicSheet");
}

}  // namespace

BENCHMARK(BM_Arabic)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thai)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeArabic)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
