// textbox.cpp - the single-line edit field. The text is UTF-8 and every position is a
// byte offset that the keys, the mouse and the limits keep on character boundaries;
// widths are measured whole characters at a time with colour tags off, as drawn.
#include "gui/controls/textbox.h"
#include "gui/controls/control_support.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/engine.h"
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

// Keeps the caret and the selection inside the text and on character boundaries: the
// API stores `cPos` and `nSel` as given, and the text may have changed under them.
void TextBox::Sanitize() {
    const int32_t len = int32_t(text.size());
    auto snap = [&](int32_t p) {
        p = std::clamp(p, 0, len);
        while (p > 0 && p < len && IsContinuation(text[size_t(p)])) --p;
        return p;
    };
    cPos = snap(cPos);
    nSel = snap(int32_t(std::clamp<int64_t>(int64_t(cPos) + nSel, 0, len))) - cPos;
}

TextBox::Insert TextBox::TryInsert(int32_t pos, std::string_view str) {
    if (pos < 0 || pos > int32_t(text.size())) return Insert::Refused;
    Sanitize();
    ResetBlink();
    if (const size_t nul = str.find('\0'); nul != std::string_view::npos) str = str.substr(0, nul);

    const int32_t selStart = std::min(cPos, cPos + nSel), selLen = std::abs(nSel);
    if (nSel < 0) pos += nSel;  // the insertion lands where the selection began
    std::string rest = text;
    rest.erase(size_t(selStart), size_t(selLen));
    pos = std::clamp(pos, 0, int32_t(rest.size()));

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
        if (wanted && str.empty()) return Insert::Refused;  // full: keep the selection
    }

    const std::string_view n = str;
    if (format == FORMAT_INTEGER) {
        // No leading zero, no sign: the field holds a positive whole number.
        if (!n.empty() && pos == 0 && !(n[0] >= '1' && n[0] <= '9')) return Insert::Refused;
        if (!std::all_of(n.begin(), n.end(), IsDigit)) return Insert::Refused;
    } else if (format == FORMAT_FLOAT) {
        if (pos == 1 && !rest.empty() && rest[0] == '0' && (n.empty() || n[0] != '.'))
            return Insert::Refused;  // after a leading zero only the point may follow
        if (!std::all_of(n.begin(), n.end(), [](char b) { return IsDigit(b) || b == '.'; }))
            return Insert::Refused;
        const auto points = std::count(n.begin(), n.end(), '.');
        if (points > 1 || (points == 1 && text.find('.') != std::string::npos)) return Insert::Refused;
    }
    if (rest.size() + n.size() > size_t(kMaxTextBytes)) return Insert::TooLong;

    std::string piece(n);
    for (char& b : piece) {
        if (b == '\n' || b == '\r') b = '|';  // one line: line breaks stay visible
        else if (b == '\t') b = ' ';
    }
    rest.insert(size_t(pos), piece);
    text = std::move(rest);
    cPos = pos + int32_t(piece.size());
    nSel = 0;
    return Insert::Done;
}

bool TextBox::InsertText(int32_t pos, std::string_view str) {
    return TryInsert(pos, str) == Insert::Done;
}

void TextBox::DeleteSelection() {
    Sanitize();
    const int32_t start = std::min(cPos, cPos + nSel);
    text.erase(size_t(start), size_t(std::abs(nSel)));
    cPos = start;
    nSel = 0;
}

bool TextBox::SetText(const char* str) {
    const std::string_view value = str ? str : "";
    std::string old = std::move(text);
    const int32_t oldPos = cPos, oldSel = nSel;
    text.clear();
    cPos = nSel = 0;
    if (TryInsert(0, value) == Insert::TooLong) {
        // Refused whole: a cut-off text would be a silent loss, so the old one stays.
        text = std::move(old), cPos = oldPos, nSel = oldSel;
        return false;
    }
    cPos = int32_t(text.size());
    Raise(change);
    scroll = 0;
    return true;
}

float TextBox::PrefixWidth(int32_t bytes) const {
    ColorTagsOff tagsOff;
    return MeasureText(text.c_str(), std::clamp(bytes, 0, int32_t(text.size())), font);
}

int32_t TextBox::CharIndexAtX(float px) const {
    ColorTagsOff tagsOff;
    const int32_t len = int32_t(text.size());
    float x = 0;
    for (int32_t pos = 0; pos < len;) {
        const int32_t next = NextChar(text, pos);
        x += MeasureText(text.c_str() + pos, next - pos, font);
        if (x > px) return pos;
        pos = next;
    }
    return len;
}

bool TextBox::Copy() {
    if (nSel == 0) return false;
    const int32_t start = std::min(cPos, cPos + nSel);
    return PlatSetClipboardText(text.substr(size_t(start), size_t(std::abs(nSel))));
}

void TextBox::Paste() {
    const std::string clip = PlatGetClipboardText();
    // The selection goes only with an insertion that is accepted, so a refused paste
    // loses nothing.
    if (!clip.empty()) InsertText(cPos, clip);
}

// ---- input ----------------------------------------------------------------------------

void TextBox::OnKeyDown(int32_t key) {
    Raise(keyDown, key);
    Sanitize();
    const bool shift = IsKeyDown(KEY_ANY_SHIFT), ctrl = IsKeyDown(KEY_ANY_CTRL);
    switch (key) {
    case VK_BACK:
        if (nSel) DeleteSelection();
        else if (cPos > 0) {
            const int32_t p = PrevChar(text, cPos);
            text.erase(size_t(p), size_t(cPos - p));
            cPos = p;
        }
        break;
    case VK_RETURN:
        if (!defaultButton.empty()) SetFocusTo(defaultButton.c_str());
        break;
    case VK_LEFT:
        ResetBlink();
        if (shift) nSel = PrevChar(text, cPos + nSel) - cPos;
        else {
            if (nSel == 0) cPos = PrevChar(text, cPos);
            else if (nSel < 0) cPos += nSel;
            nSel = 0;
        }
        break;
    case VK_RIGHT:
        ResetBlink();
        if (shift) nSel = NextChar(text, cPos + nSel) - cPos;
        else {
            if (nSel == 0) cPos = NextChar(text, cPos);
            else if (nSel > 0) cPos += nSel;
            nSel = 0;
        }
        break;
    case VK_DELETE:
        if (nSel) DeleteSelection();
        else if (cPos < int32_t(text.size())) text.erase(size_t(cPos), size_t(NextChar(text, cPos) - cPos));
        break;
    case 'A':
        if (ctrl) cPos = 0, nSel = int32_t(text.size());
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
    default: break;
    }
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

void TextBox::OnChar(int32_t ch) {
    // WM_CHAR brings characters outside the basic plane as two UTF-16 halves; they are
    // joined here, and a half without its partner is dropped (it is no character).
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        pendingHighSurrogate = uint16_t(ch);
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (!pendingHighSurrogate) return;
        ch = 0x10000 + ((pendingHighSurrogate - 0xD800) << 10) + (ch - 0xDC00);
    }
    pendingHighSurrogate = 0;
    if (ch < 32 || ch > 0x10FFFF) return;  // control characters act through OnKeyDown
    Sanitize();
    char bytes[8] = {};
    EncodeUtf8(bytes, 0, ch);
    InsertText(cPos, bytes);
}

void TextBox::OnMouseDown(int32_t key) {
    nSel = 0;
    Raise(mouseDown, key);
    float mx, my;
    MouseLocal(&mx, &my);
    cPos = CharIndexAtX(mx + scroll);
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
    nSel = CharIndexAtX(mx + scroll) - cPos;
}

void TextBox::OnDoubleClick(int32_t key) {
    Raise(doubleClick, key);
    Sanitize();
    const int32_t len = int32_t(text.size());
    int32_t s = cPos, e = cPos;
    while (s >= 0 && !IsWordDelimiter(text[size_t(s)])) --s;
    while (e < len && !IsWordDelimiter(text[size_t(e)])) ++e;
    // Anchor at the word's end, caret at its start.
    nSel = (s + 1) - e;
    cPos = e;
}

// ---- per frame ------------------------------------------------------------------------

void TextBox::Update(float dt) {
    TipControl::Update(dt);
    float mx, my;
    MouseLocal(&mx, &my);
    if (mouseSelecting && PointInRect(mx, my, -3000, 0, w + 6000, h)) {
        Sanitize();
        const int32_t len = int32_t(text.size());
        ColorTagsOff tagsOff;
        // The first character whose right edge, scrolled, lies beyond the given x.
        auto firstPast = [&](float edge) {
            float right = 0;
            for (int32_t pos = 0; pos < len;) {
                const int32_t next = NextChar(text, pos);
                right += MeasureText(text.c_str() + pos, next - pos, font);
                if (right - scroll > edge) return pos;
                pos = next;
            }
            return len;
        };
        if (mx < 0) {
            // Dragging left of the box scrolls back, faster the farther the pointer is.
            scroll = std::max(0.0f, scroll - (-mx) * dt * 4.0f);
            int32_t i = firstPast(0);
            if (i != 0) i = NextChar(text, i);
            nSel = std::max(i - cPos, -cPos);
        } else if (mx > w) {
            const float tw = MeasureText(text.c_str(), -1, font);
            scroll = std::min(scroll + (mx - w) * dt * 4.0f, std::max(0.0f, tw - w));
            int32_t i = firstPast(w);
            if (i < len - 1) i = PrevChar(text, i);
            nSel = std::max(i - cPos, -cPos);
        }
        nSel = std::min(nSel, len - cPos);
    }
    if (!IsKeyDown(KEY_MOUSE1)) mouseSelecting = 0;
    if (mouseSelecting && (mx < 0 || mx > w)) GuiKeepDrawing();  // scrolling while dragged out
    blinkTimer -= dt;
    if (blinkTimer < 0) {
        blinkTimer = 0.5f;
        caretVisible = !caretVisible;
        if (HasFocus()) GuiKeepDrawing();  // this frame was drawn with the old caret
    }
    if (HasFocus()) GuiWakeIn(blinkTimer);
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
    const float ax = PrefixWidth(cPos), ex = nSel ? PrefixWidth(cPos + nSel) : ax;
    // Keep the moving end of the selection in view.
    if (ex < scroll) scroll = ex;
    if (scroll + w - 4 < ex) scroll = ex - w + 4;

    {
        ClipPlaneGuard right(4, -1, 0, x + w);
        ClipPlaneGuard left(5, scroll != 0 ? 1 : 0, 0, scroll != 0 ? -x : 1);
        const float tx = x + 2 - scroll;
        if (nSel != 0) {
            const int32_t a = std::min(cPos, cPos + nSel), b = std::max(cPos, cPos + nSel);
            const float p = std::clamp(ax + 2 - scroll, 2.0f, w);
            const float q = std::clamp(ex + 2 - scroll, 2.0f, w);
            SetColor(selectedColor);
            FillRect(x + std::min(p, q), y + 2, std::abs(q - p), lineH);
            DrawRect(x + std::min(p, q), y + 2, std::abs(q - p), lineH);
            SetColor(textColor);
            DrawTextN(tx, y + 2, text.c_str(), ALIGN_LEFT, a);
            SetColor(selectedTextColor);
            DrawTextN(tx + PrefixWidth(a), y + 2, text.c_str() + a, ALIGN_LEFT, b - a);
            SetColor(textColor);
            DrawTextN(tx + PrefixWidth(b), y + 2, text.c_str() + b, ALIGN_LEFT, int32_t(text.size()) - b);
        } else {
            SetColor(textColor);
            DrawText(tx, y + 2, text.c_str(), ALIGN_LEFT);
        }
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
