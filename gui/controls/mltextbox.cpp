// mltextbox.cpp - the multi-line text editor. Every position is a byte offset into UTF-8
// text that the keys and the mouse keep on character boundaries; the layout (caret place,
// hit test, selection cells) walks the same wrapped lines that DrawTextBox draws.
#include "gui/controls/mltextbox.h"
#include "gui/controls/control_support.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"

Control* NewMLTextBox() { return new MLTextBox; }

namespace {

// The height handed to TextHeight when the whole text must be measured: its own default
// (0) stops at 32,000 pixels, which a long text with many short lines passes.
constexpr float kUnlimitedHeight = 1e9f;

// Pen advance of one character, as the wrapping and the drawing count it.
float AdvanceOf(const Font* font, int32_t codePoint) {
    const int32_t g = FindGlyph(codePoint, font);
    if (g < 0 || g >= font->glyphCount) return float(font->height) * font->scale;
    return float(font->glyphs[g].advance) * font->scale;
}

// Pen travel over the bytes [from, to) of one line (a line feed in them takes no room).
float RunAdvance(const Font* font, std::string_view s, int32_t from, int32_t to) {
    float x = 0;
    for (int32_t pos = from; pos < to;) {
        int32_t c;
        const int n = DecodeUtf8(s.data() + pos, c);
        if (c != '\n') x += AdvanceOf(font, c);
        pos = std::min(to, pos + std::max(n, 1));
    }
    return x;
}

// Calls fn(start, end) for every wrapped line of the text, in order; a line feed belongs
// to the line it ends. fn returns false to stop. The empty line that follows a final line
// feed is not reported. Colour tags must be off.
template <class Fn>
void ForEachLine(const Font* font, std::string_view s, float width, Fn fn) {
    const int32_t len = int32_t(s.size());
    for (int32_t pos = 0; pos < len;) {
        int count = len - pos;
        float lineWidth;
        const int n = FitLine(s.data() + pos, width, font, nullptr, count, lineWidth);
        if (n <= 0) return;  // a terminator inside the text: nothing more to lay out
        if (!fn(pos, pos + n)) return;
        pos += n;
    }
}

}  // namespace

MLTextBox::MLTextBox() {
    font = GetFont();
    text.reserve(size_t(capacity - 1));
    nSliderBlocks = int32_t(h - 4);
}

// ---- layout ---------------------------------------------------------------------------

float MLTextBox::LineHeight() const { return font ? float(font->height) * font->scale : 0.0f; }

float MLTextBox::WrapWidth() const { return w - 4 - (nBlocks > 0 ? scrollBarWidth : 0.0f); }

float MLTextBox::ReservedWrapWidth() const { return w - 4 - scrollBarWidth; }

// Found in the wrapped layout of the whole text, so the caret sits where its character
// is drawn even inside a word that the following bytes push onto the next line. An
// offset at a wrapped line's end is the next line's start.
TextPos MLTextBox::CaretXY(int32_t n, float width) const {
    const int32_t len = Length();
    n = std::clamp(n, 0, len);
    if (!font || len == 0) return {};
    ColorTagsOff tagsOff;
    const float lineH = LineHeight();
    TextPos at;
    bool found = false;
    int32_t line = 0, lastStart = 0;
    ForEachLine(font, text, width, [&](int32_t start, int32_t end) {
        lastStart = start;
        if (n < end) {
            at = {RunAdvance(font, text, start, n), float(line) * lineH};
            found = true;
            return false;
        }
        ++line;
        return true;
    });
    if (found) return at;
    if (text.back() == '\n') return {0, float(line) * lineH};
    return {RunAdvance(font, text, lastStart, len), float(std::max(line - 1, 0)) * lineH};
}

int32_t MLTextBox::CharIndexAtPoint(const Font* font, std::string_view s, float width, float px, float py) {
    const int32_t len = int32_t(s.size());
    if (!font || len == 0) return 0;
    ColorTagsOff tagsOff;
    px += 2, py += 2;
    const float lineH = float(font->height) * font->scale;

    // The first line whose bottom reaches the point; below them all, the last line, or the
    // empty line after a final line feed.
    int32_t lineStart = -1, lineEnd = len, line = 0, lastStart = 0, lastEnd = len;
    ForEachLine(font, s, width, [&](int32_t start, int32_t end) {
        lastStart = start, lastEnd = end;
        if (float(line + 1) * lineH >= py) {
            lineStart = start, lineEnd = end;
            return false;
        }
        ++line;
        return true;
    });
    if (lineStart < 0) {
        if (s.back() == '\n') return len;
        lineStart = lastStart, lineEnd = lastEnd;
    }

    float x = 0;
    for (int32_t pos = lineStart; pos < len;) {
        if (pos >= lineEnd) {
            // Right of a wrapped line: the caret goes before its last character, which
            // keeps it on the line the point is on (the line's end offset is drawn as the
            // next line's start).
            return PrevChar(s, lineEnd);
        }
        int32_t c;
        const int n = DecodeUtf8(s.data() + pos, c);
        if (c == '\n' || px - x < lineH * 0.25f) return pos;
        x += AdvanceOf(font, c);
        pos = std::min(len, pos + std::max(n, 1));
    }
    return len;
}

void MLTextBox::RecomputeScroll() {
    const float boxH = h - 4;
    if (!font) {
        nBlocks = 0, cBlock = 0;
        return;
    }
    int textH, wrappedH;
    {
        ColorTagsOff tagsOff;
        // Only whether the text passes the box matters here, so the walk may stop there.
        textH = TextHeightFont(font, w - 4, std::max(boxH, 0.0f) + 1, text.c_str(), 0, -1);
        if (float(textH) <= boxH) {
            nBlocks = 0, cBlock = 0;
            return;
        }
        wrappedH = TextHeightFont(font, ReservedWrapWidth(), kUnlimitedHeight, text.c_str(), 0, -1);
    }
    nBlocks = wrappedH - int32_t(boxH);
    nSliderBlocks = wrappedH > 0 ? int32_t(float(nBlocks) * boxH / float(wrappedH)) : 0;
    ScrollToCaret();
}

void MLTextBox::ScrollToCaret() {
    if (!font) return;
    const TextPos c = CaretXY(cPos, ReservedWrapWidth());
    const float lineH = LineHeight();
    if (PointInRect(c.x, c.y - cBlock, 0, 0, w, h) && PointInRect(c.x, c.y - cBlock + lineH, 0, 0, w, h)) return;
    // The caret's line goes to the bottom edge of the view.
    cBlock = std::clamp(c.y - h + lineH + 4, 0.0f, float(std::max(nBlocks, 0)));
}

// ---- text operations ------------------------------------------------------------------

// Keeps the anchor and the caret inside the text and on character boundaries: `cPos` and
// `nSel` are stored as given when set by name, and Up/Down move the anchor alone.
void MLTextBox::Sanitize() {
    const int32_t len = Length();
    auto snap = [&](int64_t p) {
        int32_t q = int32_t(std::clamp<int64_t>(p, 0, len));
        while (q > 0 && q < len && IsContinuation(text[size_t(q)])) --q;
        return q;
    };
    cPos = snap(cPos);
    nSel = snap(int64_t(cPos) + nSel) - cPos;
}

void MLTextBox::EraseSelection() {
    Sanitize();
    const int32_t start = std::min(cPos, cPos + nSel);
    text.erase(size_t(start), size_t(std::abs(nSel)));
    cPos = start;
    nSel = 0;
}

void MLTextBox::DeleteSelection() {
    EraseSelection();
    RecomputeScroll();
}

bool MLTextBox::InsertText(int32_t pos, std::string_view str) {
    if (const size_t nul = str.find('\0'); nul != std::string_view::npos) str = str.substr(0, nul);
    if (pos < 0 || pos > Length()) return false;
    Sanitize();
    ResetBlink();
    const int32_t n = int32_t(str.size() - size_t(std::count(str.begin(), str.end(), '\r')));
    // Checked before anything changes: a refused insertion keeps the text and the selection.
    if (int64_t(Length()) - std::abs(nSel) + n > kMaxTextBytes) {
        noticeTimer = kNoticeSeconds;
        return false;
    }
    while (pos > 0 && pos < Length() && IsContinuation(text[size_t(pos)])) --pos;
    if (nSel != 0) {
        const int32_t start = std::min(cPos, cPos + nSel), count = std::abs(nSel);
        if (pos >= start + count)
            pos -= count;
        else if (pos > start)
            pos = start;  // inside the selection: where it began
        EraseSelection();
    }
    const int32_t needed = Length() + n + 1;
    if (needed > capacity) {
        while (capacity < needed) capacity += kCapacityStep;
        text.reserve(size_t(capacity - 1));
    }
    std::string piece;
    piece.reserve(size_t(n));
    for (char b : str) {
        if (b == '\r') continue;
        piece.push_back(b == '\t' ? ' ' : b);
    }
    text.insert(size_t(pos), piece);
    if (pos <= cPos) cPos += n;  // an insertion at the caret leaves it after the new text
    RecomputeScroll();
    return true;
}

bool MLTextBox::SetText(const char* str) {
    const std::string_view value = str ? std::string_view(str) : std::string_view();
    if (int64_t(value.size()) - std::count(value.begin(), value.end(), '\r') > kMaxTextBytes) {
        // Refused whole: a cut-off text would be lost silently once it is saved.
        noticeTimer = kNoticeSeconds;
        return false;
    }
    nSel = 0, cPos = 0;
    pendingHighSurrogate = 0;
    text.clear();  // keeps the buffer: the capacity never shrinks
    InsertText(0, value);
    cPos = Length();
    Raise(change);
    return true;
}

bool MLTextBox::Copy() {
    Sanitize();
    if (nSel == 0) return false;
    const int32_t start = std::min(cPos, cPos + nSel);
    return PlatSetClipboardText(text.substr(size_t(start), size_t(std::abs(nSel))));
}

void MLTextBox::Paste() {
    const std::string clip = PlatGetClipboardText();
    // No text on the clipboard: the selection stays, as it does for a refused paste.
    if (!clip.empty()) InsertText(cPos, clip);
}

// ---- input ----------------------------------------------------------------------------

void MLTextBox::OnKeyDown(int32_t key) {
    Raise(keyDown, key);
    Sanitize();
    const bool shift = IsKeyDown(KEY_ANY_SHIFT), ctrl = IsKeyDown(KEY_ANY_CTRL);
    const int32_t len = Length();
    switch (key) {
        case VK_BACK:
            if (nSel)
                DeleteSelection();
            else if (cPos > 0) {
                const int32_t p = PrevChar(text, cPos);
                text.erase(size_t(p), size_t(cPos - p));
                cPos = p;
                RecomputeScroll();
            }
            break;
        case VK_DELETE:
            if (nSel)
                DeleteSelection();
            else if (cPos < len) {
                text.erase(size_t(cPos), size_t(NextChar(text, cPos) - cPos));
                RecomputeScroll();
            }
            break;
        case VK_RETURN:
        case KEY_NUMENTER:
            InsertText(cPos, "\n");
            break;
        case VK_LEFT:
            ResetBlink();
            if (shift)
                nSel = PrevChar(text, cPos + nSel) - cPos;
            else {
                if (nSel == 0)
                    cPos = PrevChar(text, cPos);
                else if (nSel < 0)
                    cPos += nSel;
                nSel = 0;
            }
            ScrollToCaret();
            break;
        case VK_RIGHT:
            ResetBlink();
            if (shift)
                nSel = NextChar(text, cPos + nSel) - cPos;
            else {
                if (nSel == 0)
                    cPos = NextChar(text, cPos);
                else if (nSel > 0)
                    cPos += nSel;
                nSel = 0;
            }
            ScrollToCaret();
            break;
        case VK_UP:
        case VK_DOWN: {
            const float width = WrapWidth(), lineH = LineHeight();
            const TextPos c = CaretXY(cPos, width);
            const float target = key == VK_UP ? c.y - 0.5f * lineH : c.y + 1.5f * lineH;
            cPos = CharIndexAtPoint(font, text, width, c.x, target);
            // The selection moves with its anchor; it is cut back where it would leave the text.
            Sanitize();
            ResetBlink();
            ScrollToCaret();
            break;
        }
        case 'A':
            if (ctrl) cPos = 0, nSel = len;
            break;
        case 'C':
            if (ctrl) Copy();
            break;
        case 'X':
            // The text goes only once it is safely on the clipboard.
            if (ctrl && Copy()) DeleteSelection();
            break;
        case 'V':
            if (ctrl) Paste();
            break;
        default:
            break;
    }
}

void MLTextBox::OnChar(int32_t ch) {
    // WM_CHAR brings characters outside the basic plane (and some that an input method
    // composes) as two UTF-16 halves; they are joined here, and a half without its
    // partner is dropped: it is no character.
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        pendingHighSurrogate = uint16_t(ch);
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (!pendingHighSurrogate) return;
        ch = 0x10000 + ((pendingHighSurrogate - 0xD800) << 10) + (ch - 0xDC00);
    }
    pendingHighSurrogate = 0;
    if (ch < 32 || ch > 0x10FFFF) return;  // Enter, Backspace and Tab act through OnKeyDown
    Sanitize();
    char bytes[8] = {};
    EncodeUtf8(bytes, 0, ch);
    InsertText(cPos, bytes);
}

void MLTextBox::OnMouseDown(int32_t key) {
    const bool wheel = key == KEY_WHEEL_UP || key == KEY_WHEEL_DOWN;
    if (key != KEY_MOUSE1 && !wheel) return;
    float mx, my;
    MouseLocal(&mx, &my);
    if (nBlocks != 0 && (w - mx < scrollBarWidth || wheel)) {
        MouseDownIn(key, x + w - scrollBarWidth, y, scrollBarWidth, h);
        return;
    }
    nSel = 0;
    cPos = CharIndexAtPoint(font, text, WrapWidth(), mx - 2, my - 2 + cBlock);
    mouseSelecting = 1;
    RecomputeScroll();
}

void MLTextBox::OnDoubleClick(int32_t key) {
    Raise(doubleClick, key);
    Sanitize();
    const int32_t len = Length();
    int32_t s = cPos, e = cPos;
    while (s >= 0 && !IsWordDelimiter(text[size_t(s)])) --s;
    while (e < len && !IsWordDelimiter(text[size_t(e)])) ++e;
    // Anchor at the word's end, caret at its start.
    nSel = (s + 1) - e;
    cPos = e;
    // The press that made the double click started a drag; left running, the next
    // update would replace the word with the range from the pointer to the anchor.
    mouseSelecting = 0;
}

// ---- per frame ------------------------------------------------------------------------

void MLTextBox::Update(float dt) {
    if (nBlocks != 0) UpdateIn(dt, x + w - scrollBarWidth, y, scrollBarWidth, h);
    float mx, my;
    MouseLocal(&mx, &my);
    if (mouseSelecting) {
        // Dragging above or below the box scrolls, faster the farther the pointer is;
        // a button already released ends the drag without another step.
        const bool held = IsKeyDown(KEY_MOUSE1);
        if (held && my < 0)
            cBlock = std::max(0.0f, cBlock - (-my) * dt * 4.0f);
        else if (held && my > h)
            cBlock = std::min(float(std::max(nBlocks, 0)), cBlock + (my - h) * dt * 4.0f);
        Sanitize();
        const int32_t i = CharIndexAtPoint(font, text, WrapWidth(), mx - 2, my - 2 + cBlock);
        nSel = std::clamp(i - cPos, -cPos, Length() - cPos);
    }
    if (!IsKeyDown(KEY_MOUSE1)) mouseSelecting = 0;
    if (mouseSelecting && (my < 0 || my > h)) GuiKeepDrawing();  // scrolling while dragged out
    blinkTimer -= dt;
    if (blinkTimer < 0) {
        blinkTimer = kBlinkSeconds;
        caretVisible = !caretVisible;
        if (HasFocus()) GuiKeepDrawing();  // this frame was drawn with the old caret
    }
    if (HasFocus()) GuiWakeIn(blinkTimer);
    if (noticeTimer > 0) {
        noticeTimer = std::max(0.0f, noticeTimer - dt);
        GuiWakeIn(noticeTimer);  // the notice goes when it runs out (0: the next frame)
    }
}

void MLTextBox::Size(float nw, float nh) {
    ScrollBar::Size(nw, nh);
    // The wrap, and so the scroll range, depends on the width and the height.
    RecomputeScroll();
}

// ---- drawing ----------------------------------------------------------------------------

// The highlight and the selected glyphs, line by line over the same wrapped lines as the
// text itself, so they cover exactly the selected characters however the lines break.
void MLTextBox::DrawSelection(float width) {
    const int32_t a = std::min(cPos, cPos + nSel), b = std::max(cPos, cPos + nSel);
    const float lineH = LineHeight();
    const float top = y + 2, bottom = y + h - 2;
    ClipPlaneGuard clipTop(4, 0, 1, -double(top));
    ClipPlaneGuard clipBottom(5, 0, -1, double(bottom));
    int32_t line = 0;
    ForEachLine(font, text, width, [&](int32_t start, int32_t end) {
        const float ly = top + float(line++) * lineH - cBlock;
        if (start >= b || ly >= bottom) return false;
        if (end <= a || ly + lineH <= top) return true;
        const int32_t from = std::max(a, start), to = std::min(b, end);
        const bool feed = text[size_t(to - 1)] == '\n';
        const int32_t glyphsTo = feed ? to - 1 : to;
        const float x0 = RunAdvance(font, text, start, from);
        const float run = RunAdvance(font, text, from, glyphsTo);
        // A selected line feed shows as a cell half the font height wide.
        const float cells = run + (feed ? lineH * 0.5f : 0.0f);
        SetColor(selectedColor);
        FillRect(x + 2 + x0, ly, cells, lineH);
        SetColor(selectedTextColor);
        if (glyphsTo > from) DrawTextN(x + 2 + x0, ly, text.c_str() + from, ALIGN_LEFT, glyphsTo - from);
        return true;
    });
}

void MLTextBox::DrawNotice() {
    static constexpr char kNotice[] = "Text full: at most 32767 bytes";
    const float lineH = LineHeight();
    const float bw = std::min(w - 4, MeasureText(kNotice, -1, font) + 8);
    const float by = y + h - lineH - 6;
    SetColor(MakeColor(255, 236, 200));
    FillRect(x + 2, by, bw, lineH + 4);
    SetColor(MakeColor(160, 0, 0));
    DrawRect(x + 2, by, bw, lineH + 4);
    DrawTextN(x + 6, by + 2, kNotice, ALIGN_LEFT, -1);
}

void MLTextBox::Draw() {
    if (MouseInside()) SetPointerKind(POINTER_IBEAM);
    Sanitize();
    {
        ColorTagsOff tagsOff;
        Font* previous = SetFont(font);
        SetColor(color);
        FillRect(x, y, w, h);
        SetColor(borderColor);
        DrawRect(x, y, w, h);
        // A box too small for a line draws no text: a height of 0 would mean "unlimited".
        if (font && h - 4 > 0) {
            const float width = WrapWidth();
            SetColor(textColor);
            DrawTextBox(x + 2, y + 2, width, h - 4, text.c_str(), cBlock, ALIGN_LEFT, -1, 0);
            if (nSel != 0) DrawSelection(width);
            if (HasFocus()) {
                const TextPos c = CaretXY(cPos + nSel, width);
                SetTextInputSpot(x + 2 + c.x, std::clamp(y + 2 + c.y - cBlock, y, y + h), LineHeight());
            }
            if ((caretVisible || IsKeyDown(KEY_MOUSE1)) && HasFocus()) {
                const TextPos c = CaretXY(cPos + nSel, width);
                ClipPlaneGuard clipTop(4, 0, 1, -double(y));
                ClipPlaneGuard clipBottom(5, 0, -1, double(y + h));
                SetColor(textColor);
                const float cx = x + 2 + c.x, cy = y + 2 + c.y - cBlock;
                DrawLine(cx, cy, cx, cy + LineHeight());
            }
            if (noticeTimer > 0) DrawNotice();
        }
        SetFont(previous);
    }
    if (nBlocks != 0) DrawIn(x + w - scrollBarWidth, y, scrollBarWidth, h);
}

// ---- properties -----------------------------------------------------------------------

bool MLTextBox::SetProperty(const char* prop, const void* value) {
    if (std::strcmp(prop, "Text") == 0) return SetText(static_cast<const char*>(value));
    const bool done = ScrollBar::SetProperty(prop, value);
    // A new font or strip width changes the wrap, and so the scroll range.
    if (done && (std::strcmp(prop, "Font") == 0 || std::strcmp(prop, "ScrollBarWidth") == 0)) RecomputeScroll();
    return done;
}

int MLTextBox::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Font", PROP_FONT, nullptr, &font);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("cPos", PROP_INT, nullptr, &cPos);
    list.Add("nSel", PROP_INT, nullptr, &nSel);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("SelectedColor", PROP_COLOR, nullptr, &selectedColor);
    list.Add("SelectedTextColor", PROP_COLOR, nullptr, &selectedTextColor);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    list.Add("ScrollBarWidth", PROP_FLOAT, nullptr, &scrollBarWidth);
    return list.count + ScrollBar::ListProperties(list.Rest());
}

int MLTextBox::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Change", &change);
    return list.count + ScrollBar::ListEvents(list.Rest());
}
