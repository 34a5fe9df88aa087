// mltextbox.cpp - the multi-line text editor: what it adds to the shared editing core.
// The layout (caret place, hit test, selection cells, marks) walks the same wrapped lines
// that DrawTextBox draws.
#include "gui/controls/mltextbox.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/text_shape.h"

Control* NewMLTextBox() { return new MLTextBox; }

namespace {

// The height handed to TextHeight when the whole text must be measured: its own default
// (0) stops at 32,000 pixels, which a long text with many short lines passes.
constexpr float kUnlimitedHeight = 1e9f;

// Calls fn(start, end, base) for every wrapped line of the text, in order, with its
// paragraph's direction; a line feed belongs to the line it ends. fn returns false to
// stop. The empty line that follows a final line feed is not reported. Colour tags must
// be off.
template <class Fn>
void ForEachLine(const Font* font, std::string_view s, float width, Fn fn) {
    const int32_t len = int32_t(s.size());
    shape::Direction base = shape::Direction::LeftToRight;
    for (int32_t pos = 0; pos < len;) {
        if (pos == 0 || s[size_t(pos - 1)] == '\n') {
            const size_t feed = s.find('\n', size_t(pos));
            base = shape::ParagraphDirection(
                s.substr(size_t(pos), feed == std::string_view::npos ? feed : feed - size_t(pos)));
        }
        int count = len - pos;
        float lineWidth;
        const int n = FitLine(s.data() + pos, width, font, nullptr, count, lineWidth);
        if (n <= 0) return;  // a terminator inside the text: nothing more to lay out
        if (!fn(pos, pos + n, base)) return;
        pos += n;
    }
}

// Lays out the wrapped line [start, end) (its line feed included) as DrawTextBox draws it.
void LayOut(const Font* font, std::string_view s, int32_t start, int32_t end, shape::Direction base, float width,
            layout::Line& out) {
    const bool feed = end > start && s[size_t(end - 1)] == '\n';
    layout::LayOutLine(font, s, uint32_t(start), uint32_t(feed ? end - 1 : end), base, width, out);
    out.endIsCaretPlace = feed || end == int32_t(s.size());
}

}  // namespace

MLTextBox::MLTextBox() : TextEdit("MLTextBox") {
    font = GetFont();
    text.reserve(size_t(capacity - 1));
    nSliderBlocks = int32_t(h - 4);
}

// ---- layout ---------------------------------------------------------------------------

float MLTextBox::LineHeight() const { return font ? float(font->height) * font->scale : 0.0f; }

float MLTextBox::WrapWidth() const { return w - 4 - (nBlocks > 0 ? scrollBarWidth : 0.0f); }

float MLTextBox::ReservedWrapWidth() const { return w - 4 - scrollBarWidth; }

// Found in the wrapped layout of the whole text, so the caret sits where its character
// is drawn even inside a word that the following bytes push onto the next line.
int32_t MLTextBox::LineOf(int32_t n, float width, layout::Line& out) const {
    const int32_t len = Length();
    int32_t line = 0, lastStart = -1, lastEnd = 0;
    shape::Direction lastBase = shape::Direction::LeftToRight;
    bool found = false;
    ForEachLine(font, text, width, [&](int32_t start, int32_t end, shape::Direction base) {
        lastStart = start, lastEnd = end, lastBase = base;
        if (n < end) return found = true, false;
        ++line;
        return true;
    });
    if (!found) {
        if (lastStart < 0 || text.back() == '\n') {
            layout::LayOutLine(font, text, uint32_t(len), uint32_t(len), shape::Direction::LeftToRight, width, out);
            return lastStart < 0 ? 0 : -1;
        }
        --line;
    }
    LayOut(font, text, lastStart, lastEnd, lastBase, width, out);
    return line;
}

TextPos MLTextBox::CaretXY(int32_t n, float width, bool withPrevious) const {
    const int32_t len = Length();
    n = std::clamp(n, 0, len);
    if (!font || len == 0) return {};
    ColorTagsOff tagsOff;
    layout::Line line;
    int32_t number = LineOf(n, width, line);
    if (number < 0) {  // after a final line feed: the start of the line below the last
        number = 0;
        ForEachLine(font, text, width, [&](int32_t, int32_t, shape::Direction) { return ++number, true; });
        return {0, float(number) * LineHeight()};
    }
    return {layout::CaretX(line, uint32_t(n), withPrevious), float(number) * LineHeight()};
}

layout::Place MLTextBox::PlaceAtPoint(float px, float py, float width) const {
    const int32_t len = Length();
    if (!font || len == 0) return {0, 0, false};
    ColorTagsOff tagsOff;
    const float lineH = LineHeight();
    // The line the point is on; below them all, the last line, or the empty line after a
    // final line feed.
    int32_t line = 0, lineStart = -1, lineEnd = len;
    shape::Direction lineBase = shape::Direction::LeftToRight;
    bool found = false;
    ForEachLine(font, text, width, [&](int32_t start, int32_t end, shape::Direction base) {
        lineStart = start, lineEnd = end, lineBase = base;
        if (float(line + 1) * lineH > py) return found = true, false;
        ++line;
        return true;
    });
    if (!found && text.back() == '\n') return {0, uint32_t(len), false};
    layout::Line laid;
    LayOut(font, text, lineStart, lineEnd, lineBase, width, laid);
    return layout::PlaceAtX(laid, px);
}

int32_t MLTextBox::MoveCaret(int32_t at, CaretMove kind) {
    if (!font) return TextEdit::MoveCaret(at, kind);
    ColorTagsOff tagsOff;
    const float width = WrapWidth();
    layout::Line line;
    LineOf(at, width, line);
    layout::Place to{};
    if (kind == CaretMove::HOME || kind == CaretMove::END) {
        // Home goes where the line starts as it reads: its right end in right-to-left text.
        to = layout::LineEndOnScreen(line, (kind == CaretMove::HOME) != line.rightToLeft);
    } else if (!layout::StepOnScreen(line, uint32_t(at), caretWithPrevious, kind == CaretMove::LEFT, to)) {
        // Past the line's end on screen: on to the line that comes next as the paragraph
        // reads, that is the next one in logical order where the line reads that way.
        caretWithPrevious = false;
        return (kind == CaretMove::LEFT) != line.rightToLeft ? PrevChar(text, at) : NextChar(text, at);
    }
    caretWithPrevious = to.withPrevious;
    return int32_t(to.at);
}

bool MLTextBox::ReadsRightToLeft(int32_t at) const {
    if (!font) return false;
    ColorTagsOff tagsOff;
    layout::Line line;
    LineOf(at, WrapWidth(), line);
    return line.rightToLeft;
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
    const TextPos c = CaretXY(cPos, ReservedWrapWidth(), caretWithPrevious);
    const float lineH = LineHeight();
    if (PointInRect(c.x, c.y - cBlock, 0, 0, w, h) && PointInRect(c.x, c.y - cBlock + lineH, 0, 0, w, h)) return;
    // The caret's line goes to the bottom edge of the view.
    cBlock = std::clamp(c.y - h + lineH + 4, 0.0f, float(std::max(nBlocks, 0)));
}

// ---- text operations ------------------------------------------------------------------

TextEdit::Fit MLTextBox::ShapeInsertion(Insertion& ins) {
    std::string piece;
    piece.reserve(ins.piece.size());
    for (char b : ins.piece) {
        if (b == '\r') continue;
        piece.push_back(b == '\t' ? ' ' : b);
    }
    ins.piece = std::move(piece);
    return Fit::DONE;
}

void MLTextBox::OnTextChanged() {
    const int32_t needed = Length() + 1;
    if (needed > capacity) {
        while (capacity < needed) capacity += kCapacityStep;
        text.reserve(size_t(capacity - 1));
    }
    RecomputeScroll();
}

bool MLTextBox::SetText(const char* str) {
    if (!LoadText(str ? str : "")) return false;
    Raise(change);
    return true;
}

// ---- input ----------------------------------------------------------------------------

void MLTextBox::OnKeyDown(int32_t key) {
    Raise(keyDown, key);
    Sanitize();
    switch (key) {
        case VK_RETURN:
        case KEY_NUMENTER:
            TypeText("\n");
            break;
        case VK_UP:
        case VK_DOWN:
            MoveLine(key);
            break;
        default:
            EditKey(key);
            break;
    }
}

// Up and Down keep the caret's x on the neighbouring wrapped line.
void MLTextBox::MoveLine(int32_t key) {
    CloseEditStep();
    const float width = WrapWidth(), lineH = LineHeight();
    const TextPos c = CaretXY(cPos, width, caretWithPrevious);
    const float target = key == VK_UP ? c.y - 0.5f * lineH : c.y + 1.5f * lineH;
    const layout::Place to = PlaceAtPoint(c.x, target, width);
    cPos = int32_t(to.at), caretWithPrevious = to.withPrevious;
    // The selection moves with its anchor; it is cut back where it would leave the text.
    Sanitize();
    ResetBlink();
    ScrollToCaret();
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
    const layout::Place at = PlaceAtPoint(mx - 2, my - 2 + cBlock, WrapWidth());
    cPos = int32_t(at.at), caretWithPrevious = at.withPrevious;
    CloseEditStep();
    mouseSelecting = 1;
    RecomputeScroll();
}

void MLTextBox::OnDoubleClick(int32_t key) {
    Raise(doubleClick, key);
    SelectWordAtAnchor();
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
        const layout::Place at = PlaceAtPoint(mx - 2, my - 2 + cBlock, WrapWidth());
        nSel = std::clamp(int32_t(at.at) - cPos, -cPos, Length() - cPos);
        caretWithPrevious = at.withPrevious;
    }
    if (!IsKeyDown(KEY_MOUSE1)) mouseSelecting = 0;
    if (mouseSelecting && (my < 0 || my > h)) GuiKeepDrawing();  // scrolling while dragged out
    TickCaret(dt, HasFocus());
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
    int32_t number = 0;
    layout::Line line;
    std::vector<std::pair<float, float>> spans;
    ForEachLine(font, text, width, [&](int32_t start, int32_t end, shape::Direction base) {
        const float ly = top + float(number++) * lineH - cBlock;
        if (start >= b || ly >= bottom) return false;
        if (end <= a || ly + lineH <= top) return true;
        LayOut(font, text, start, end, base, width, line);
        layout::Spans(line, uint32_t(a), uint32_t(b), spans);
        // A selected line feed shows as a cell half the font height wide where the line
        // ends as it reads.
        if (text[size_t(end - 1)] == '\n' && end <= b) {
            const float at = line.rightToLeft ? line.origin - lineH * 0.5f : line.origin + line.width;
            spans.emplace_back(at, at + lineH * 0.5f);
        }
        for (const auto& [s0, s1] : spans) {
            SetColor(selectedColor);
            FillRect(x + 2 + s0, ly, s1 - s0, lineH);
            ClipPlaneGuard from(2, 1, 0, -double(x + 2 + s0));
            ClipPlaneGuard to(3, -1, 0, double(x + 2 + s1));
            SetColor(selectedTextColor);
            layout::DrawLine(x + 2, ly, text, line, base);
        }
        return true;
    });
}

// The marks' wavy lines, over the same wrapped lines as the text; a line feed in a mark
// is not underlined.
void MLTextBox::DrawMarks(float width) {
    const float lineH = LineHeight();
    const float top = y + 2, bottom = y + h - 2;
    ClipPlaneGuard clipTop(4, 0, 1, -double(top));
    ClipPlaneGuard clipBottom(5, 0, -1, double(bottom));
    const int32_t len = Length();
    int32_t number = 0;
    layout::Line line;
    std::vector<std::pair<float, float>> spans;
    ForEachLine(font, text, width, [&](int32_t start, int32_t end, shape::Direction base) {
        const float ly = top + float(number++) * lineH - cBlock;
        if (ly >= bottom) return false;
        if (ly + lineH <= top) return true;
        bool laid = false;
        for (const TextMark& m : marks) {
            if (int64_t(m.end) > len) continue;  // the text was set behind the marks' back
            if (int32_t(m.end) <= start || int32_t(m.begin) >= end) continue;
            if (!laid) LayOut(font, text, start, end, base, width, line), laid = true;
            layout::Spans(line, m.begin, m.end, spans);
            for (const auto& [s0, s1] : spans) DrawMarkLine(x + 2 + s0, x + 2 + s1, ly + lineH - 1);
        }
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
            if (!marks.empty()) DrawMarks(width);
            if (HasFocus()) {
                // One walk of the layout for the input method's spot and the caret alike.
                const TextPos c = CaretXY(cPos + nSel, width, caretWithPrevious);
                SetTextInputSpot(x + 2 + c.x, std::clamp(y + 2 + c.y - cBlock, y, y + h), LineHeight());
                if (caretVisible || IsKeyDown(KEY_MOUSE1)) {
                    ClipPlaneGuard clipTop(4, 0, 1, -double(y));
                    ClipPlaneGuard clipBottom(5, 0, -1, double(y + h));
                    SetColor(textColor);
                    const float cx = x + 2 + c.x, cy = y + 2 + c.y - cBlock;
                    DrawLine(cx, cy, cx, cy + LineHeight());
                }
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
