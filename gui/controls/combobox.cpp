// combobox.cpp - the combo: items fitted like a list's, the box with its drop button,
// opening down or up with the rectangle grown over the list, the press/release state
// machine, arrow keys, and the open list drawn in the GUI's overlay slot above everything.
#include "gui/controls/combobox.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "render/font.h"
#include "render/texture.h"

namespace {

constexpr const char* kEllipsis = " ...";
constexpr int32_t kKeyUp = 38, kKeyDown = 40;

// There is one overlay slot, so at most one list is open at a time.
struct ComboState {
    ComboBox* open = nullptr;
};
ComboState g_combo;

void DrawOpenList() {
    if (g_combo.open) g_combo.open->DrawList();
}

// Puts the control's x, y and h back when the list has been drawn at screen coordinates.
class RectRestore {
  public:
    explicit RectRestore(Control* c) : c_(c), x_(c->x), y_(c->y), h_(c->h) {}
    ~RectRestore() { c_->x = x_, c_->y = y_, c_->h = h_; }
    RectRestore(const RectRestore&) = delete;
    RectRestore& operator=(const RectRestore&) = delete;

  private:
    Control* c_;
    float x_, y_, h_;
};

// A soft shadow along the bottom and right edges of (x, y, w, h), 3 pixels wide.
void DrawListShadow(float x, float y, float w, float h) {
    glDisable(GL_TEXTURE_2D);
    auto v = [](float px, float py, float a) {
        glColor4f(0, 0, 0, a);
        glVertex2f(px, py);
    };
    glBegin(GL_QUADS);
    v(x + 5, y + h, 0.6f), v(x + w, y + h, 0.6f), v(x + w, y + h + 3, 0), v(x + 5, y + h + 3, 0);
    v(x + w, y + 5, 0.6f), v(x + w + 3, y + 5, 0), v(x + w + 3, y + h, 0), v(x + w, y + h, 0.6f);
    glEnd();
    glBegin(GL_TRIANGLES);
    v(x + 5, y + h, 0.6f), v(x + 3, y + h, 0), v(x + 5, y + h + 3, 0);
    v(x + w, y + 5, 0.6f), v(x + w + 3, y + 5, 0), v(x + w, y + 3, 0);
    v(x + w, y + h, 0.6f), v(x + w + 3, y + h, 0), v(x + w, y + h + 3, 0);
    glEnd();
    glColor4ub(255, 255, 255, 255);
    glEnable(GL_TEXTURE_2D);
}

void DrawIcon(Surface* icon, float x, float y, float size) {
    for (GLenum mode : {GLenum(GL_FILL), GLenum(GL_LINE)}) {
        glPolygonMode(GL_FRONT_AND_BACK, mode);
        DrawSurface(x, y, size, size, icon, nullptr);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

}  // namespace

Control* NewComboBox() { return new ComboBox; }

ComboBox::ComboBox() : font(GetFont()) {}

ComboBox::~ComboBox() {
    // The overlay must not go on drawing a list whose control is gone.
    if (g_combo.open == this) {
        g_combo.open = nullptr;
        if (GetOverlay() == DrawOpenList) SetOverlay(nullptr);
    }
}

// ---- geometry ------------------------------------------------------------------------------

float ComboBox::FontH() const { return font ? float(font->height) * font->scale : 0.0f; }

bool ComboBox::Scrolling() const {
    // Judged against the list as it is (or will be) opened, so that a list shortened for
    // want of room above still reaches every item through its strip.
    const int16_t drop = IsOpen() ? openDrop : dropHeight;
    return !items.empty() && int32_t(LineH() * float(items.size()) + 2) > drop;
}

float ComboBox::AvailableWidth() const { return Scrolling() ? w - scrollBarWidth : w; }

RectF ComboBox::Box() const {
    if (!IsOpen()) return {x, y, w, h};
    return {x, direction == COMBO_UP ? y + float(openDrop) : y, w, h - float(openDrop)};
}

RectF ComboBox::ListRegion() const {
    if (!IsOpen()) return {x, y + h, w, float(dropHeight)};
    const float drop = float(openDrop);
    return {x, direction == COMBO_UP ? y : y + h - drop, w, drop};
}

int32_t ComboBox::RowInList(float px, float py) const {
    const RectF r = ListRegion();
    const float ly = py - (r.y - y);
    if (px < 0 || px > w || ly < 0 || ly > r.h) return -1;
    const int32_t row = int32_t((ly + cBlock) / LineH());
    return row < ItemCount() ? row : -1;
}

void ComboBox::UpdateScrollRange() {
    if (!Scrolling()) {
        cBlock = 0;
        nBlocks = 0;
        return;
    }
    const float drop = float(IsOpen() ? openDrop : dropHeight);
    const float content = LineH() * float(items.size());
    nBlocks = int32_t(content - drop);
    if (cBlock < 0) cBlock = 0;
    if (float(nBlocks) < cBlock) cBlock = float(nBlocks);
    nSliderBlocks = int32_t(float(nBlocks) * drop / content);
    step = int32_t(FontH());
}

void ComboBox::RefitAll() {
    const float available = AvailableWidth();
    const float ellipsis = font ? TextWidthFont(kEllipsis, font) : 0.0f;
    for (ComboItem& item : items)
        FitItemText(item.text, item.icon != nullptr, available, ellipsis, font, &item.visibleLength, &item.shortened);
}

// ---- items ---------------------------------------------------------------------------------

void ComboBox::AddItem(const char* text, Surface* icon) { InsertItem(ItemCount(), text, icon); }

void ComboBox::InsertItem(int32_t index, const char* text, Surface* icon) {
    if (index < -1 || index > ItemCount()) return;
    if (index == -1) index = 0;
    const float before = AvailableWidth();
    if (items.size() == items.capacity()) items.reserve(items.size() + kListGrowth);
    ComboItem item;
    item.text = text ? text : "";
    item.icon = icon;
    items.insert(items.begin() + index, std::move(item));
    // The chosen item keeps being the chosen one when others are put in front of it.
    if (selected >= index) ++selected;
    if (highlighted >= index) ++highlighted;
    dropHeight = int16_t(std::min(std::trunc(LineH() * float(items.size()) + 2), float(maxDropHeight)));
    if (AvailableWidth() == before) {
        ComboItem& added = items[size_t(index)];
        FitItemText(added.text, added.icon != nullptr, before, font ? TextWidthFont(kEllipsis, font) : 0.0f, font,
                    &added.visibleLength, &added.shortened);
    } else {
        RefitAll();
    }
}

void ComboBox::ClearItems() {
    Close();
    items.clear();
    selected = highlighted = -1;
    cBlock = 0;
    nBlocks = 0;
    dropHeight = int16_t(std::min(2, int(maxDropHeight)));
}

const char* ComboBox::ItemText(int32_t index) const {
    return index >= 0 && index < ItemCount() ? items[size_t(index)].text.c_str() : nullptr;
}

// ---- opening and closing ---------------------------------------------------------------------

void ComboBox::Open() {
    if (IsOpen() || items.empty()) return;
    // Another open list loses its slot now rather than at its next draw, where it
    // would otherwise empty the slot this list is about to take.
    if (g_combo.open && g_combo.open != this) g_combo.open->Close();
    openState = COMBO_OPENING;
    SetCapture(this);
    float sx, sy;
    ScreenPos(&sx, &sy);
    direction = sy + float(dropHeight) + h > float(kVirtualHeight) ? COMBO_UP : COMBO_DOWN;
    if (direction == COMBO_UP && sy < float(dropHeight)) {
        const bool wasScrolling = Scrolling();
        dropHeight = int16_t(std::max(std::trunc(sy - 5), 0.0f));
        if (Scrolling() != wasScrolling) RefitAll();
    }
    openDrop = dropHeight;
    if (direction == COMBO_UP) y -= float(openDrop);
    h += float(openDrop);
    g_combo.open = this;
    SetOverlay(DrawOpenList);
    highlighted = selected >= 0 && selected < ItemCount() ? selected : -1;
    UpdateScrollRange();
    if (highlighted >= 0) {
        const float lineH = LineH();
        if (lineH * float(highlighted) < cBlock) cBlock = lineH * float(highlighted);
        if (lineH * float(highlighted + 1) + 2 > cBlock + float(openDrop))
            cBlock = lineH * float(highlighted + 1) + 2 - float(openDrop);
    }
}

void ComboBox::Close() {
    if (!IsOpen()) return;
    openState = COMBO_CLOSED;
    if (g_combo.open == this) {
        g_combo.open = nullptr;
        if (GetOverlay() == DrawOpenList) SetOverlay(nullptr);
    }
    if (GetCapture() == this) SetCapture(nullptr);
    // The rectangle shrinks by what it grew at opening, even if items came meanwhile.
    if (direction == COMBO_UP) y += float(openDrop);
    h -= float(openDrop);
    openDrop = 0;
    // A row hovered but not chosen is forgotten: the keys start from the selection.
    highlighted = selected;
}

// ---- input ---------------------------------------------------------------------------------

void ComboBox::OnMouseDown(int32_t key) {
    Raise(mouseDown, key);
    if (key != KEY_MOUSE1) return;
    if (!IsOpen()) {
        Open();
        return;
    }
    float px, py;
    MouseLocal(&px, &py);
    const RectF box = Box();
    if (PointInRect(px, py, 0, box.y - y, w, box.h)) {
        openState = COMBO_ON_BOX;
        return;
    }
    const RectF list = ListRegion();
    if (Scrolling() && w - px < scrollBarWidth) {
        UpdateScrollRange();
        MouseDownIn(key, x + w - scrollBarWidth, list.y, scrollBarWidth, list.h);
        return;
    }
    openState = COMBO_ON_ROW;
}

void ComboBox::OnClick(int32_t key) {
    Raise(click, key);
    if (openState == COMBO_CLOSED || openState == COMBO_OPENING) return;  // the opening press keeps it open
    SetCapture(nullptr);
    if (openState == COMBO_ON_ROW) {
        float px, py;
        MouseLocal(&px, &py);
        const int32_t row = RowInList(px, py);
        if (row >= 0) {
            selected = row;
            Raise(select, row);
        }
    }
    Close();
}

void ComboBox::OnMouseMove(float dx, float dy) {
    Raise(mouseMove, dx, dy);
    if (!IsOpen() || pressMode != SB_PRESS_NONE) return;
    float px, py;
    MouseLocal(&px, &py);
    const float strip = Scrolling() ? std::trunc(scrollBarWidth) : 0.0f;
    if (px >= w - strip) return;
    const int32_t row = RowInList(px, py);
    if (row >= 0) highlighted = row;
}

void ComboBox::OnKeyDown(int32_t key) {
    Raise(keyDown, key);
    if (items.empty()) return;
    const int32_t code = key & 0xFF, last = ItemCount() - 1;
    // Closed, the highlight is not shown: the keys move on from the selection.
    if (!IsOpen()) highlighted = selected;
    const float lineH = LineH(), drop = float(IsOpen() ? openDrop : dropHeight);
    if (code == kKeyUp) {
        highlighted = std::clamp(highlighted - 1, 0, last);
        if (lineH * float(highlighted) < cBlock) cBlock = lineH * float(highlighted);
        Raise(select, highlighted);
    } else if (code == kKeyDown) {
        highlighted = std::clamp(highlighted + 1, 0, last);
        if (lineH * float(highlighted + 1) + 2 > cBlock + drop) cBlock = lineH * float(highlighted + 1) + 2 - drop;
        Raise(select, highlighted);
    }
    if (!IsOpen() && highlighted < ItemCount()) selected = highlighted;
}

void ComboBox::Update(float dt) {
    if (!Scrolling()) return;
    UpdateScrollRange();
    const RectF r = IsOpen() ? ListRegion() : Box();
    UpdateIn(dt, x + w - scrollBarWidth, r.y, scrollBarWidth, r.h);
}

bool ComboBox::SetProperty(const char* prop, const void* value) {
    if (!ScrollBar::SetProperty(prop, value)) return false;
    if (std::strcmp(prop, "Font") == 0 || std::strcmp(prop, "ScrollBarWidth") == 0) RefitAll();
    return true;
}

int ComboBox::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Font", PROP_FONT, nullptr, &font);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("SelectedTextColor", PROP_COLOR, nullptr, &selectedTextColor);
    list.Add("ScrollBarColor", PROP_COLOR, nullptr, &scrollBarColor);
    list.Add("SelectorColor", PROP_COLOR, nullptr, &selectorColor);
    list.Add("DrawShadow", PROP_BOOL, nullptr, &drawShadow);
    list.Add("ScrollBarWidth", PROP_FLOAT, nullptr, &scrollBarWidth);
    list.Add("ScrollBarSkin", PROP_SCROLLBARSKIN, nullptr, &vskin);
    list.Add("MaxDropHeight", PROP_SHORT, nullptr, &maxDropHeight);
    list.Add("DropButtonSkin", PROP_SURFACE, nullptr, &dropButtonSkin);
    return list.count;
}

int ComboBox::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Select", &select);
    return list.count + ScrollBar::ListEvents(list.Rest());
}

// ---- drawing -------------------------------------------------------------------------------

void ComboBox::Draw() {
    // The text is centred with the GUI's default font (current while controls draw),
    // whatever font the item is drawn in.
    const Font* defaultFont = GetFont();
    FontScope scope(font);
    const bool focused = HasFocus();
    if (!focused && IsOpen()) Close();
    const RectF box = Box();
    SetColor(focused ? selectorColor : color);
    FillRect(box.x, box.y, box.w, box.h);

    if (selected >= 0 && selected < ItemCount()) {
        const ComboItem& item = items[size_t(selected)];
        const Color tc = focused ? selectedTextColor : textColor;
        float tx = x + 4;
        if (item.icon) {
            glColor4ub(255, 255, 255, ColorA(tc));
            DrawIcon(item.icon, x + 2, box.y + 1, box.h - 2);
            tx += box.h;
        }
        if (font) {
            const float glyphH = defaultFont ? float(defaultFont->height) * defaultFont->scale : 0.0f;
            SetColor(tc);
            // The field's room ends before the drop button, as far from it as the text
            // starts from the box's edge.
            DrawRowText(tx, x + w - box.h - 4, box.y + box.h * 0.5f - glyphH * 0.5f, item.text, -1, false);
        }
    }

    if (!dropButtonSkin) {
        const float side = box.h, right = x + w, top = box.y;
        float px, py;
        MouseLocal(&px, &py);
        const bool pressed = IsKeyDown(KEY_MOUSE1) && PointInRect(px, py, w - side, top - y, side, side);
        const float p = pressed ? 1.0f : 0.0f;
        SetColor(scrollBarColor);
        FillRect(right - side, top, side, side);
        glColor4ub(0, 0, 0, ColorA(scrollBarColor));
        DrawRect(right - side, top, side, side);
        const float tri[3][2] = {{right - side * 0.5f, top + side * 0.75f + p},
                                 {right - side * 0.25f, top + side * 0.25f + p},
                                 {right - side * 0.75f, top + side * 0.25f + p}};
        glDisable(GL_TEXTURE_2D);
        for (GLenum mode : {GLenum(GL_TRIANGLES), GLenum(GL_LINE_LOOP)}) {
            glBegin(mode);
            for (const auto& pt : tri) glVertex2f(pt[0], pt[1]);
            glEnd();
        }
        glEnable(GL_TEXTURE_2D);
    }
    glColor4ub(0, 0, 0, ColorA(color));
    DrawRect(box.x, box.y, box.w, box.h);
}

void ComboBox::DrawList() {
    // The overlay draws with no translation: put the list region in screen coordinates
    // for the duration, so that the strip machinery draws in the right place too.
    RectRestore restore(this);
    const RectF region = ListRegion();
    float psx = 0, psy = 0;
    if (parent) parent->ScreenPos(&psx, &psy);
    x = psx + region.x, y = psy + region.y, h = region.h;

    float mx, my;
    GetMousePos(&mx, &my);
    if (PointInRect(mx, my, x, y, w, h)) SetPointerKind(POINTER_ARROW);
    if (drawShadow && direction == COMBO_DOWN) DrawListShadow(x, y, w, h);
    SetColor(color);
    FillRect(x, y, w, h);
    SetColor(textColor);
    FontScope scope(font);
    UpdateScrollRange();
    const bool scrolling = Scrolling();
    const float fontH = FontH(), lineH = LineH();
    const int32_t count = ItemCount();
    const int32_t first = scrolling ? int32_t(cBlock / lineH) : 0;
    int32_t end = first;
    while (end < count && lineH * float(end) + 2 - cBlock <= h) ++end;

    const GLdouble keepBelowTop[4] = {0, 1, 0, -double(y)};
    const GLdouble keepAboveBottom[4] = {0, -1, 0, double(y + h)};
    glClipPlane(GL_CLIP_PLANE4, keepBelowTop);
    glClipPlane(GL_CLIP_PLANE5, keepAboveBottom);
    glEnable(GL_CLIP_PLANE4);
    glEnable(GL_CLIP_PLANE5);
    if (highlighted >= first && highlighted < end) {
        const float bar = y + lineH * float(highlighted) + 1 - cBlock;
        SetColor(selectorColor);
        FillRect(x, bar, w, lineH);
        DrawRect(x, bar, w, lineH);
    }
    glColor4ub(255, 255, 255, ColorA(textColor));
    for (int32_t i = first; i < end; ++i)
        if (Surface* icon = items[size_t(i)].icon) DrawIcon(icon, x + 2, y + lineH * float(i) + 2 - cBlock, fontH - 1);
    if (font) {
        for (int32_t i = first; i < end; ++i) {
            const ComboItem& item = items[size_t(i)];
            SetColor(i == highlighted ? selectedTextColor : textColor);
            const float tx = x + 2 + (item.icon ? fontH + 2 : 0), ty = y + lineH * float(i) + 2 - cBlock;
            DrawRowText(tx, x + AvailableWidth() - 2, ty, item.text, item.visibleLength, item.shortened);
        }
    }
    glDisable(GL_CLIP_PLANE4);
    glDisable(GL_CLIP_PLANE5);
    if (scrolling) DrawIn(x + w - scrollBarWidth, y, scrollBarWidth, h);
    glColor4ub(0, 0, 0, ColorA(color));
    DrawRect(x, y, w, h);
}
