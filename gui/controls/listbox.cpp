// listbox.cpp - the list: item storage growing by 64 records, fitting of too-wide items,
// selection by mouse, keys and first letter, the three drawing passes with zebra rows,
// the strip shown only while the items overflow, and the shortened-item tooltip.
#include "gui/controls/listbox.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "render/font.h"
#include "render/text_shape.h"
#include "render/texture.h"

namespace {

constexpr const char* kEllipsis = " ...";
// The same, before a shortened right-to-left text, whose end is on its left.
constexpr const char* kEllipsisBefore = "... ";
constexpr int32_t kKeyUp = 38, kKeyDown = 40, kKeyEnter = 13, kKeySpace = 32, kKeyA = 65;

int32_t AsciiLower(int32_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// The first character of a text as a code point (-1 for an empty or broken text).
int32_t FirstCodePoint(const std::string& text) {
    if (text.empty()) return -1;
    int32_t cp = -1;
    DecodeUtf8(text.c_str(), cp);
    return cp;
}

// How far the pen travels over the first line of a row's `length` bytes (-1: all) when
// drawn: the advances of the forms drawn, as the wrapping counts them. MeasureText counts
// glyph cells instead, and a joined Arabic form's cell runs a pixel past its advance, so
// an Arabic row placed by it would stop short of its right edge by a pixel a letter.
float DrawnWidth(std::string_view text, int32_t length) {
    int count = length < 0 ? int(text.size()) : length;
    float width = 0;
    FitLine(text.data(), 1e9f, GetFont(), nullptr, count, width);
    return width;
}

}  // namespace

Control* NewListBox() { return new ListBox; }

void FitItemText(const std::string& text, bool hasIcon, float available, float ellipsisWidth, const Font* font,
                 int32_t* visibleLength, uint8_t* shortened) {
    const float fontH = font ? float(font->height) * font->scale : 0.0f;
    float limit = available - 4;
    if (hasIcon) limit -= fontH + 2;
    const int32_t length = int32_t(text.size());
    *visibleLength = length;
    // Cleared here rather than kept: an item that fits again after a refit must not
    // go on drawing " ..." behind its whole text.
    *shortened = 0;
    if (!font || TextWidthFont(text.c_str(), font) <= limit) return;
    float width = ellipsisWidth;
    for (int32_t pos = 0; pos < length;) {
        int32_t cp = -1;
        const int n = std::min(DecodeUtf8(text.c_str() + pos, cp), length - pos);
        width += CharWidthFont(cp, font);
        if (width > limit) {
            *visibleLength = pos;
            *shortened = 1;
            return;
        }
        pos += std::max(n, 1);
    }
}

void DrawRowText(float left, float right, float y, std::string_view text, int32_t length, bool shortened) {
    // The direction is that of the whole row, not of its visible part: a shortened row
    // keeps the side it would have whole. Rows that start with a Latin letter are
    // decided at that letter, so they pay nothing for this.
    if (shape::ParagraphDirection(text) == shape::Direction::LeftToRight) {
        const int drawn = DrawTextN(left, y, text.data(), ALIGN_LEFT, length);
        if (shortened) DrawText(left + float(drawn), y, kEllipsis, ALIGN_LEFT);
        return;
    }
    // Drawn from its left end, which DrawTextN keeps at x for right-to-left text.
    const float room = shortened ? TextWidth(kEllipsisBefore) : 0.0f;
    const float start = std::max(left + room, right - DrawnWidth(text, length));
    DrawTextN(start, y, text.data(), ALIGN_LEFT, length);
    if (shortened) DrawText(start - room, y, kEllipsisBefore, ALIGN_LEFT);
}

void FitItem(ListItem& item, float available, float ellipsisWidth, const Font* font) {
    FitItemText(item.text, item.icon != nullptr, available, ellipsisWidth, font, &item.visibleLength, &item.shortened);
}

ListBox::ListBox() : font(GetFont()) {}

// ---- geometry ------------------------------------------------------------------------------

float ListBox::FontH() const { return font ? float(font->height) * font->scale : 0.0f; }

bool ListBox::Scrolling() const { return !items.empty() && LineH() * float(items.size()) + 2 > h - ListTop(); }

float ListBox::AvailableWidth() const { return Scrolling() ? w - scrollBarWidth : w; }

RectF ListBox::Strip() const { return {x + w - scrollBarWidth, y, scrollBarWidth, h}; }

int32_t ListBox::RowAt(float py) const {
    const float row = (py - ListTop() + cBlock) / LineH();
    return row < 0 ? -1 : int32_t(row);
}

void ListBox::RefitAll() {
    const float available = AvailableWidth();
    const float ellipsis = font ? TextWidthFont(kEllipsis, font) : 0.0f;
    for (ListItem& item : items) FitItem(item, available, ellipsis, font);
}

void ListBox::UpdateScrollRange() {
    if (!Scrolling()) {
        cBlock = 0;
        nBlocks = 0;
        return;
    }
    const float lineH = LineH(), content = lineH * float(items.size()), areaH = h - ListTop();
    nBlocks = int32_t(content - areaH);
    if (cBlock < 0) cBlock = 0;
    if (float(nBlocks) < cBlock) cBlock = float(nBlocks);
    nSliderBlocks = int32_t(float(nBlocks) * areaH / content);
    step = int32_t(FontH());
}

void ListBox::ScrollIntoView(int32_t index) {
    const float lineH = LineH(), areaH = h - ListTop();
    if (lineH * float(index) < cBlock) cBlock = lineH * float(index);
    if (lineH * float(index + 1) + 2 > cBlock + areaH) cBlock = lineH * float(index + 1) + 2 - areaH;
}

// ---- item operations -------------------------------------------------------------------------

void ListBox::AddItem(const char* text, Surface* icon) { InsertItem(ItemCount(), text, icon); }

void ListBox::InsertItem(int32_t index, const char* text, Surface* icon) {
    if (index < -1 || index > ItemCount()) return;
    if (index == -1) index = 0;
    const float before = AvailableWidth();
    if (items.size() == items.capacity()) items.reserve(items.size() + kListGrowth);
    ListItem item;
    item.text = text ? text : "";
    item.icon = icon;
    items.insert(items.begin() + index, std::move(item));
    // The current index names an item, not a row: it moves with the item, or Up/Down
    // and Action would work on a neighbour of the item the user chose.
    if (current >= index) ++current;
    if (AvailableWidth() == before)
        FitItem(items[size_t(index)], before, font ? TextWidthFont(kEllipsis, font) : 0.0f, font);
    else
        RefitAll();  // the strip appeared: every item has less room now
}

void ListBox::SelectItem(int32_t index) {
    if (index < 0 || index >= ItemCount()) return;
    if (!multiSelect && current >= 0 && current < ItemCount()) items[size_t(current)].selected = 0;
    Raise(select, index);
    if (index >= ItemCount()) return;  // the handler emptied the list
    items[size_t(index)].selected = 1;
    current = index;
    ScrollIntoView(index);
}

void ListBox::SelectAll() {
    if (!multiSelect) return;
    for (ListItem& item : items) item.selected = 1;
    Raise(select, -1);
}

void ListBox::ClearSelection() {
    for (ListItem& item : items) item.selected = 0;
    Raise(select, -1);
}

void ListBox::ClearItems() {
    items.clear();  // the capacity stays a multiple of 64 for the next filling
    current = -1;
    cBlock = 0;
    nBlocks = 0;
    pressMode = SB_PRESS_NONE;
}

const char* ListBox::ItemText(int32_t index) const {
    return index >= 0 && index < ItemCount() ? items[size_t(index)].text.c_str() : nullptr;
}

bool ListBox::IsSelected(int32_t index) const {
    return index >= 0 && index < ItemCount() && items[size_t(index)].selected;
}

// ---- drawing -----------------------------------------------------------------------------------

void ListBox::SetClipRows(bool on) const {
    if (!on) {
        glDisable(GL_CLIP_PLANE4);
        glDisable(GL_CLIP_PLANE5);
        return;
    }
    // Planes 0 to 3 clip to the ancestors; these two keep the rows inside the list area.
    // They are given in the coordinates x and y are in (the drawing translation is on).
    const float top = y + ListTop(), bottom = y + h;
    const GLdouble keepBelowTop[4] = {0, 1, 0, -double(top)};
    const GLdouble keepAboveBottom[4] = {0, -1, 0, double(bottom)};
    glClipPlane(GL_CLIP_PLANE4, keepBelowTop);
    glClipPlane(GL_CLIP_PLANE5, keepAboveBottom);
    glEnable(GL_CLIP_PLANE4);
    glEnable(GL_CLIP_PLANE5);
}

void ListBox::Draw() {
    SetColor(color);
    FillRect(x, y, w, h);
    FontScope scope(font);
    UpdateScrollRange();
    const bool scrolling = Scrolling();
    const float fontH = FontH(), lineH = LineH(), top = y + ListTop(), areaH = h - ListTop();
    const int32_t count = ItemCount();
    const int32_t first = scrolling ? int32_t(cBlock / lineH) : 0;
    // Rows stop at the first one that starts below the list.
    int32_t end = first;
    while (end < count && lineH * float(end) + 2 - cBlock <= areaH) ++end;
    if (scrolling) SetClipRows(true);

    // Pass 1: selection bars and the faint stripe of odd rows.
    for (int32_t i = first; i < end; ++i) {
        const float bar = top + lineH * float(i) + 1 - cBlock;
        if (items[size_t(i)].selected) {
            SetColor(selectorColor);
            FillRect(x, bar, w, lineH);
        } else if (i % 2 == 1) {
            glColor4f(0, 0, 0, 0.05f);
            FillRect(x, bar, w, lineH);
        }
    }
    // Pass 2: icons, filled and then framed.
    glColor4ub(255, 255, 255, ColorA(textColor));
    for (GLenum mode : {GLenum(GL_FILL), GLenum(GL_LINE)}) {
        glPolygonMode(GL_FRONT_AND_BACK, mode);
        for (int32_t i = first; i < end; ++i)
            if (Surface* icon = items[size_t(i)].icon)
                DrawSurface(x + 2, top + lineH * float(i) + 2 - cBlock, fontH - 1, fontH - 1, icon, nullptr);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Pass 3: text.
    if (font) {
        for (int32_t i = first; i < end; ++i) {
            const ListItem& item = items[size_t(i)];
            SetColor(item.selected ? selectedTextColor : textColor);
            const float tx = x + 2 + (item.icon ? fontH + 2 : 0), ty = top + lineH * float(i) + 2 - cBlock;
            DrawRowText(tx, x + AvailableWidth() - 2, ty, item.text, item.visibleLength, item.shortened);
        }
    }
    SetClipRows(false);
    if (scrolling) {
        const RectF s = Strip();
        DrawIn(s.x, s.y, s.w, s.h);
    }
    glColor4ub(0, 0, 0, ColorA(color));
    DrawRect(x, y, w, h);
}

// ---- per frame: strip and tooltip ------------------------------------------------------------

void ListBox::ListUpdate(float dt) {
    if (Scrolling()) {
        UpdateScrollRange();
        const RectF s = Strip();
        UpdateIn(dt, s.x, s.y, s.w, s.h);
    }
    float px, py;
    MouseLocal(&px, &py);
    if (!HitTest(px, py) || py < ListTop()) return;
    hoverTimer -= dt;
    if (hoverTimer > 0.24f) GuiWakeIn(hoverTimer - 0.24f);
    if (hoverTimer < -500 || hoverTimer > 0.24f) return;
    if (hoverTimer < 0) hoverTimer = 0;
    const int32_t index = RowAt(py);
    if (index < 0 || index >= ItemCount() || !items[size_t(index)].shortened) return;
    const ListItem& item = items[size_t(index)];
    const float fontH = FontH();
    float sx, sy;
    ScreenPos(&sx, &sy);
    const float tx = item.icon ? fontH - 1 : -3;
    const float ty = ListTop() + LineH() * float(index) - cBlock + fontH + 4;
    ShowToolTipAt(item.text.c_str(), sx + tx, sy + ty, (0.25f - hoverTimer) * 4);
    hoverTimer = -501;  // once per rest: the next pointer move re-arms it
}

void ListBox::Update(float dt) { ListUpdate(dt); }

// ---- input -------------------------------------------------------------------------------------

void ListBox::ListMouseDown(int32_t key) {
    if (items.empty()) return;
    UpdateScrollRange();
    float px, py;
    MouseLocal(&px, &py);
    const RectF s = Strip();
    if (Scrolling() && (w - px < s.w || key == KEY_WHEEL_UP || key == KEY_WHEEL_DOWN)) {
        MouseDownIn(key, s.x, s.y, s.w, s.h);
        return;
    }
    Raise(mouseDown, key);
    if (key != KEY_MOUSE1) return;
    const int32_t index = RowAt(py);
    if (index < 0 || index >= ItemCount()) return;
    const bool currentValid = current >= 0 && current < ItemCount();
    if (!multiSelect && currentValid) items[size_t(current)].selected = 0;
    if ((IsKeyDown(KEY_LSHIFT) || IsKeyDown(KEY_RSHIFT)) && multiSelect && currentValid) {
        for (int32_t i = std::min(current, index); i <= std::max(current, index); ++i) items[size_t(i)].selected = 1;
        Raise(select, -1);
        return;  // the anchor stays where it was
    }
    items[size_t(index)].selected ^= 1;
    Raise(select, index);
    if (index < ItemCount()) current = index;
}

void ListBox::OnMouseDown(int32_t key) { ListMouseDown(key); }

void ListBox::OnMouseMove(float dx, float dy) {
    hoverTimer = 1.0f;
    ScrollBar::OnMouseMove(dx, dy);
}

void ListBox::ListDoubleClick(int32_t key) {
    Raise(doubleClick, key);
    if (key != KEY_MOUSE1 || multiSelect) return;
    float px, py;
    MouseLocal(&px, &py);
    if (Scrolling() && w - px < Strip().w) return;
    const int32_t index = RowAt(py);
    if (index >= 0 && index < ItemCount() && index == current) Raise(action, current);
}

void ListBox::OnDoubleClick(int32_t key) { ListDoubleClick(key); }

void ListBox::MoveCurrent(int delta, bool setCurrentFirst) {
    const int32_t count = ItemCount();
    if (current >= 0 && current < count) items[size_t(current)].selected = 0;
    const int32_t next = std::clamp(current + delta, 0, count - 1);
    items[size_t(next)].selected = 1;
    ScrollIntoView(next);
    if (setCurrentFirst) current = next;
    Raise(select, next);
    if (next < ItemCount()) current = next;
}

void ListBox::OnKeyDown(int32_t key) { ListKeyDown(key, false); }

void ListBox::ListKeyDown(int32_t key, bool setCurrentFirst) {
    Raise(keyDown, key);
    const int32_t code = key & 0xFF;
    if (multiSelect) {
        if (code == kKeyA && IsKeyDown(KEY_ANY_CTRL)) SelectAll();
        return;
    }
    if (items.empty()) return;
    if (code == kKeyUp) {
        MoveCurrent(-1, setCurrentFirst);
    } else if (code == kKeyDown) {
        MoveCurrent(+1, setCurrentFirst);
    } else if (code == kKeyEnter || code == kKeySpace) {
        if (current >= 0 && current < ItemCount()) Raise(action, current);
    }
}

void ListBox::OnChar(int32_t ch) {
    // Control characters (Tab, Enter, Backspace) also arrive here; they pick nothing.
    if (multiSelect || items.empty() || ch < 32) return;
    const int32_t wanted = AsciiLower(ch);
    const int32_t count = ItemCount();
    auto matches = [&](int32_t i) { return AsciiLower(FirstCodePoint(items[size_t(i)].text)) == wanted; };
    for (int32_t i = std::max(current + 1, 0); i < count; ++i)
        if (matches(i)) return SelectItem(i);
    for (int32_t i = 0; i < count; ++i)
        if (matches(i)) return SelectItem(i);
}

void ListBox::Size(float nw, float nh) {
    ScrollBar::Size(nw, nh);
    RefitAll();
}

bool ListBox::SetProperty(const char* prop, const void* value) {
    if (std::strcmp(prop, "MultiSelect") == 0) {
        if (!value) return false;
        const uint8_t on = *static_cast<const uint8_t*>(value);
        if (multiSelect && !on) ClearSelection();
        multiSelect = on;
        return true;
    }
    if (std::strcmp(prop, "Font") == 0 || std::strcmp(prop, "ScrollBarWidth") == 0) {
        if (!ScrollBar::SetProperty(prop, value)) return false;
        RefitAll();
        return true;
    }
    return ScrollBar::SetProperty(prop, value);
}

int ListBox::ListProperties(PropertyEntry* table) {
    // The bar's block fields are the list's own business; only its look is offered.
    PropertyList list(table);
    list.Add("Font", PROP_FONT, nullptr, &font);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("SelectedTextColor", PROP_COLOR, nullptr, &selectedTextColor);
    list.Add("ScrollBarWidth", PROP_FLOAT, nullptr, &scrollBarWidth);
    list.Add("SelectorColor", PROP_COLOR, nullptr, &selectorColor);
    list.Add("MultiSelect", PROP_BOOL, nullptr, &multiSelect);
    list.Add("ScrollBarSkin", PROP_SCROLLBARSKIN, nullptr, &vskin);
    return list.count;
}

int ListBox::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Select", &select);
    list.Add("Action", &action);
    return list.count + ScrollBar::ListEvents(list.Rest());
}
