// fuzz_text_edit.cpp - the editing core both text boxes share, driven through the real
// input path by fuzzed sequences of keys, characters, clipboard texts, range
// replacements and undo/redo, optionally with a counter that stores each line feed as
// CR LF. After every step: the text is valid UTF-8, the anchor and the caret are inside
// it, it holds at most 32767 bytes and its stored size (with the counter) as many; and
// undoing everything brings back the text the history started from.
// Runs on the scripted backend with a real window and GL context (Xvfb when headless).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "platform/test/test_platform.h"
#include "render/font.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

size_t CrLfSize(std::string_view t) { return t.size() + size_t(std::count(t.begin(), t.end(), '\n')); }

bool ValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = uint8_t(s[i]);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

void Tap(uint8_t vk) {
    const bool extended = (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_DELETE;
    TestKeyDown(vk, 0, extended), TestKeyUp(vk, 0, extended);
    PumpMessages();
}

void Chord(uint8_t modifier, unsigned scan, uint8_t vk) {
    TestKeyDown(modifier, scan), PumpMessages();
    Tap(vk);
    TestKeyUp(modifier, scan), PumpMessages();
}

// A piece of text, as a clipboard or the application hands it over: UTF-8 of ASCII,
// line feeds, tabs, carriage returns, and characters of two, three and four bytes; or
// thousands of short lines.
std::string Piece(FuzzedDataProvider& in) {
    std::string out;
    // Short lines in bulk: where a stored CR LF text outgrows what the box shows.
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        for (int n = in.ConsumeIntegralInRange(1, 16383); n > 0; --n) out += "x\n";
        return out;
    }
    for (int n = in.ConsumeIntegralInRange(0, in.ConsumeBool() ? 8 : 400); n > 0; --n) {
        uint32_t c = 0;
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0:
                c = "\n\r\t "[in.ConsumeIntegralInRange(0, 3)];
                break;
            case 1:
                c = in.ConsumeIntegralInRange<uint32_t>(0x80, 0x7FF);
                break;
            case 2:
                c = in.ConsumeIntegralInRange<uint32_t>(0x800, 0xFFFF);
                if (c >= 0xD800 && c <= 0xDFFF) c = 0x20AC;  // no surrogate halves in UTF-8
                break;
            case 3:
                c = in.ConsumeIntegralInRange<uint32_t>(0x10000, 0x10FFFF);
                break;
            default:
                c = in.ConsumeIntegralInRange<uint32_t>(0x20, 0x7E);
                break;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12)), out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18)), out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void Step(FuzzedDataProvider& in, Control* box, TextEdit* edit) {
    static const uint8_t kKeys[] = {VK_BACK, VK_DELETE, VK_LEFT, VK_RIGHT, VK_RETURN, VK_UP, VK_DOWN, VK_HOME, VK_END};
    static const uint8_t kCtrl[] = {'A', 'C', 'X', 'V', 'Z', 'Y'};
    switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
        case 1:
            Tap(kKeys[in.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1)]);
            break;
        case 2:
            Chord(VK_SHIFT, 0x2A, in.ConsumeBool() ? VK_LEFT : VK_RIGHT);
            break;
        case 3:
            Chord(VK_CONTROL, 0x1D, kCtrl[in.ConsumeIntegralInRange<size_t>(0, std::size(kCtrl) - 1)]);
            break;
        case 4:
        case 5:
            // Characters as WM_CHAR brings them, surrogate halves and control codes included.
            for (int n = in.ConsumeIntegralInRange(1, 8); n > 0; --n) TestChar(in.ConsumeIntegral<uint16_t>());
            PumpMessages();
            break;
        case 6:
            TestSetClipboard(Piece(in));
            break;
        case 7: {
            const auto len = uint32_t(edit->Length());
            const uint32_t a = in.ConsumeIntegralInRange<uint32_t>(0, len + 2);
            const uint32_t b = in.ConsumeIntegralInRange<uint32_t>(0, len + 2);
            ReplaceTextRange(box, std::min(a, b), std::max(a, b), Piece(in));
            break;
        }
        case 8:
            if (in.ConsumeBool())
                UndoTextEdit(box);
            else
                RedoTextEdit(box);
            break;
        default: {
            // Doubling the text quickly reaches the ceiling.
            Chord(VK_CONTROL, 0x1D, 'A'), Chord(VK_CONTROL, 0x1D, 'C');
            Tap(VK_END);
            Chord(VK_CONTROL, 0x1D, 'V');
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InstallGui();
    InitEngine("fuzz_text_edit");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Begin2D();
    SetFont(LoadFont(QK_BINARY_DIR "/zazovi_font.dsf"));
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    SetActiveSheet("S");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool multiLine = in.ConsumeBool(), counted = in.ConsumeBool();
    Control* box = CreateControl(multiLine ? "MLTextBox" : "TextBox", "E", "S", 100, 100, 300, 200);
    TextEdit* edit = TextEditOf(box);
    SetFocusTo("E");
    TestSetClipboard("");
    if (counted) SetStoredSizeCounter(box, CrLfSize);
    SetControlProperty("E", "Text", Piece(in).c_str());
    const std::string start = edit->text;
    const size_t limit = TextEdit::kMaxTextBytes;
    // The history keeps its newest steps only: undoing back to the start is checked
    // while nothing can have been dropped. A start that stores past the ceiling (set
    // whole, uncounted) is one that undo rightly refuses to bring back.
    const bool startFits = !counted || CrLfSize(start) <= limit;
    bool whole = startFits;
    for (int n = 0; n < 64 && in.remaining_bytes() > 0; ++n) {
        const EditHistory& h = edit->history;
        if (h.undo.size() + 1 >= EditHistory::kMaxSteps || h.bytes + 2 * limit > EditHistory::kMaxBytes) whole = false;
        Step(in, box, edit);
        Check(ValidUtf8(edit->text));
        Check(edit->cPos >= 0 && edit->cPos <= edit->Length());
        Check(edit->Caret() >= 0 && edit->Caret() <= edit->Length());
        Check(edit->text.size() <= limit);
        if (startFits && counted) Check(CrLfSize(edit->text) <= limit);
    }
    EngineFrame();  // the text as it ended is laid out and drawn
    if (whole) {
        while (UndoTextEdit(box)) {
        }
        Check(edit->text == start);
    }
    TestKeyUp(VK_CONTROL, 0x1D), TestKeyUp(VK_SHIFT, 0x2A);
    PumpMessages();
    TestClearMessages();
    DestroyControl("E");
    return 0;
}
