// textbox.cpp - the single-line edit field: what it adds to the shared editing core
// (the limit and formats, the default button, scrolling, the mouse). Widths are measured
// whole characters at a time with colour tags off, as drawn.
#include "gui/controls/textbox.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

Control* NewTextBox() { return new TextBox; }

namespace {

int32_t CountChars(std::string_view s) {
    return int32_t(std::count_if(s.begin(), s.end(), [](char b) { return !IsContinuation(b); }));
}

bool IsDigit(char b) { return b >= '0' && b <= '9'; }

// The boxes whose Enter release is being handed on to their default buttons, outermost
// first.
struct TextBoxState {
    std::vector<const TextBox*> passingEnter;
} g_textBoxes;

}  // namespace

// ---- text operations ------------------------------------------------------------------

TextEdit::Fit TextBox::ShapeInsertion(Insertion& ins) {
    std::string_view str = ins.piece;
    const std::string_view rest = ins.rest;
    const int32_t pos = ins.at;

    // The limit counts the characters that stay: typing over a selection replaces it.
    if (maxLen != 0) {
        int32_t room = maxLen - CountChars(rest), taken = 0;
        size_t cut = 0;
        for (; cut < str.size(); ++cut) {
            if (IsContinuation(str[cut])) continue;
            if (++taken > room) break;
        }
        const bool wanted = !str.empty();
        str = str.substr(0, cut);
        if (wanted && str.empty()) return Fit::REFUSED;  // full: keep the selection
    }

    const std::string_view n = str;
    if (format == FORMAT_INTEGER) {
        // No leading zero, no sign: the field holds a positive whole number.
        if (!n.empty() && pos == 0 && !(n[0] >= '1' && n[0] <= '9')) return Fit::REFUSED;
        if (!std::all_of(n.begin(), n.end(), IsDigit)) return Fit::REFUSED;
    } else if (format == FORMAT_FLOAT) {
        if (pos == 1 && !rest.empty() && rest[0] == '0' && (n.empty() || n[0] != '.'))
            return Fit::REFUSED;  // after a leading zero only the point may follow
        if (!std::all_of(n.begin(), n.end(), [](char b) { return IsDigit(b) || b == '.'; })) return Fit::REFUSED;
        // A point already in the text counts even while it is selected.
        const auto points = std::count(n.begin(), n.end(), '.');
        if (points > 1 || (points == 1 && ins.text.find('.') != std::string_view::npos)) return Fit::REFUSED;
    }

    std::string piece(n);
    for (char& b : piece) {
        if (b == '\n' || b == '\r')
            b = '|';  // one line: line breaks stay visible
        else if (b == '\t')
            b = ' ';
    }
    ins.piece = std::move(piece);
    return Fit::DONE;
}

bool TextBox::SetText(const char* str) {
    if (!LoadText(str ? str : "")) return false;
    Raise(change);
    scroll = 0;
    return true;
}

const layout::Line& TextBox::Layout() const {
    if (laidFont_ == font && laidWidth_ == w && laidText_ == text) return line_;
    ColorTagsOff tagsOff;
    const std::string_view all(text);
    layout::LayOutLine(font, all, 0, uint32_t(all.size()), shape::ParagraphDirection(all), w - 4, line_);
    // Wider than the box, it starts at the left and scrolls like any other.
    if (line_.origin < 0) {
        for (layout::Cell& c : line_.cells) c.x0 -= line_.origin, c.x1 -= line_.origin;
        line_.origin = 0;
    }
    laidText_ = text, laidFont_ = font, laidWidth_ = w;
    return line_;
}

layout::Place TextBox::PlaceAtX(float px) const { return layout::PlaceAtX(Layout(), px - 2 + scroll); }

int32_t TextBox::MoveCaret(int32_t at, CaretMove kind) {
    const layout::Line& line = Layout();
    layout::Place to{};
    if (kind == CaretMove::HOME || kind == CaretMove::END) {
        // Home goes where the line starts as it reads: its right end in right-to-left text.
        to = layout::LineEndOnScreen(line, (kind == CaretMove::HOME) != line.rightToLeft);
    } else if (!layout::StepOnScreen(line, uint32_t(at), caretWithPrevious, kind == CaretMove::LEFT, to)) {
        return at;  // already at that end
    }
    caretWithPrevious = to.withPrevious;
    return int32_t(to.at);
}

// ---- input ----------------------------------------------------------------------------

void TextBox::OnKeyDown(int32_t key) {
    Raise(keyDown, key);
    Sanitize();
    if (key == VK_RETURN) {
        if (!defaultButton.empty()) SetFocusTo(defaultButton.c_str());
        return;
    }
    EditKey(key);
}

void TextBox::OnKeyUp(int32_t key) {
    // Boxes that name each other as default buttons (or any longer cycle of them) would
    // hand Enter round forever: the release that comes back to a box ends there.
    auto& chain = g_textBoxes.passingEnter;
    if (key == VK_RETURN && std::find(chain.begin(), chain.end(), this) != chain.end()) return;
    Raise(keyUp, key);
    if (key != VK_RETURN || defaultButton.empty()) return;
    Control* target = FindControl(defaultButton.c_str());
    if (!target) return;
    // Kept outside the box: the default button's handler may destroy the box.
    chain.push_back(this);
    target->OnKeyUp(VK_RETURN);
    chain.pop_back();
}

void TextBox::OnMouseDown(int32_t key) {
    nSel = 0;
    Raise(mouseDown, key);
    float mx, my;
    MouseLocal(&mx, &my);
    const layout::Place at = PlaceAtX(mx);
    cPos = int32_t(at.at), caretWithPrevious = at.withPrevious;
    CloseEditStep();
    mouseSelecting = 1;
}

void TextBox::OnMouseMove(float dx, float dy) {
    // A report without movement changes nothing, so it cannot undo a word selection
    // that a double click has just made.
    if (dx == 0 && dy == 0) return;
    TipControl::OnMouseMove(dx, dy);
    if (!mouseSelecting) return;
    Sanitize();
    float mx, my;
    MouseLocal(&mx, &my);
    const layout::Place at = PlaceAtX(mx);
    nSel = int32_t(at.at) - cPos, caretWithPrevious = at.withPrevious;
}

void TextBox::OnDoubleClick(int32_t key) {
    Raise(doubleClick, key);
    SelectWordAtAnchor();
}

// ---- per frame ------------------------------------------------------------------------

void TextBox::Update(float dt) {
    TipControl::Update(dt);
    float mx, my;
    MouseLocal(&mx, &my);
    if (mouseSelecting && PointInRect(mx, my, -3000, 0, w + 6000, h)) {
        Sanitize();
        // Dragging out of the box scrolls, faster the farther the pointer is, and the
        // selection follows to the edge of what shows.
        if (mx < 0) {
            scroll = std::max(0.0f, scroll - (-mx) * dt * 4.0f);
            nSel = int32_t(PlaceAtX(2).at) - cPos;
        } else if (mx > w) {
            const layout::Line& line = Layout();
            scroll = std::min(scroll + (mx - w) * dt * 4.0f, std::max(0.0f, line.origin + line.width - w));
            nSel = int32_t(PlaceAtX(w - 2).at) - cPos;
        }
        nSel = std::clamp(nSel, -cPos, Length() - cPos);
    }
    if (!IsKeyDown(KEY_MOUSE1)) mouseSelecting = 0;
    if (mouseSelecting && (mx < 0 || mx > w)) GuiKeepDrawing();  // scrolling while dragged out
    TickCaret(dt, HasFocus());
}

void TextBox::Draw() {
    if (MouseInside()) SetPointerKind(POINTER_IBEAM);
    Sanitize();
    if (scroll < 0) scroll = 0;
    ColorTagsOff tagsOff;
    Font* previous = SetFont(font);
    SetColor(color);
    FillRect(x, y, w, h);
    SetColor(borderColor);
    DrawRect(x, y, w, h);

    const float lineH = font ? font->height * font->scale : 0;
    const layout::Line& line = Layout();
    const shape::Direction base = line.rightToLeft ? shape::Direction::RightToLeft : shape::Direction::LeftToRight;
    const float ex = layout::CaretX(line, uint32_t(Caret()), caretWithPrevious);
    // Keep the moving end of the selection in view.
    if (ex < scroll) scroll = ex;
    if (scroll + w - 4 < ex) scroll = ex - w + 4;

    {
        ClipPlaneGuard right(4, -1, 0, x + w);
        ClipPlaneGuard left(5, scroll != 0 ? 1 : 0, 0, scroll != 0 ? -x : 1);
        const float tx = x + 2 - scroll;
        SetColor(textColor);
        layout::DrawLine(tx, y + 2, text, line, base);
        if (nSel != 0) {
            // The selected characters may be several pieces on screen in mixed text: each
            // is filled and its glyphs drawn again over it, cut to the piece.
            const uint32_t a = uint32_t(std::min(cPos, Caret())), b = uint32_t(std::max(cPos, Caret()));
            std::vector<std::pair<float, float>> spans;
            layout::Spans(line, a, b, spans);
            for (const auto& [s0, s1] : spans) {
                const float p = std::clamp(s0 + 2 - scroll, 2.0f, w), q = std::clamp(s1 + 2 - scroll, 2.0f, w);
                if (q <= p) continue;
                SetColor(selectedColor);
                FillRect(x + p, y + 2, q - p, lineH);
                DrawRect(x + p, y + 2, q - p, lineH);
                ClipPlaneGuard from(2, 1, 0, -double(x + p));
                ClipPlaneGuard to(3, -1, 0, double(x + q));
                SetColor(selectedTextColor);
                layout::DrawLine(tx, y + 2, text, line, base);
            }
        }
        DrawMarks(tx);
        if (HasFocus()) SetTextInputSpot(x + ex + 2 - scroll, y + 2, lineH);
        if (caretVisible && HasFocus()) {
            // Over a selection the caret is white, so it shows on the highlight.
            SetColor(nSel ? ((color & 0xFF000000u) | 0x00FFFFFFu) : textColor);
            const float cx = x + ex + 2 - scroll;
            DrawLine(cx, y + 2, cx, y + 2 + lineH);
        }
    }
    SetFont(previous);
}

void TextBox::DrawMarks(float tx) {
    const float bottom = y + 2 + (font ? font->height * font->scale : 0) - 1;
    std::vector<std::pair<float, float>> spans;
    for (const TextMark& m : marks) {
        if (m.end > text.size()) continue;  // the text was set behind the marks' back
        layout::Spans(Layout(), m.begin, m.end, spans);
        for (const auto& [s0, s1] : spans) DrawMarkLine(tx + s0, tx + s1, bottom);
    }
}

// ---- properties -----------------------------------------------------------------------

bool TextBox::SetProperty(const char* prop, const void* value) {
    if (std::strcmp(prop, "Text") == 0) return SetText(static_cast<const char*>(value));
    return TipControl::SetProperty(prop, value);
}

int TextBox::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("DefaultButton", PROP_STRING, "MaxLen:31", &defaultButton);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("cPos", PROP_INT, nullptr, &cPos);
    list.Add("nSel", PROP_INT, nullptr, &nSel);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("SelectedColor", PROP_COLOR, nullptr, &selectedColor);
    list.Add("SelectedTextColor", PROP_COLOR, nullptr, &selectedTextColor);
    list.Add("Format", PROP_ENUM, "0-String;1-Integer;2-Float", &format);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    list.Add("MaxLen", PROP_INT, nullptr, &maxLen);
    return list.count + TipControl::ListProperties(list.Rest());
}

int TextBox::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Change", &change);
    return list.count + TipControl::ListEvents(list.Rest());
}
