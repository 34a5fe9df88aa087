// mclistbox.cpp - the multi-column list: the column bar with titles and draggable
// separators, rows of cells lined up under the titles, and the ListBox's selection,
// keys and scrolling applied to the area below the bar.
#include "gui/controls/mclistbox.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "render/font.h"
#include "render/texture.h"

namespace {

constexpr GLenum kRightPlane = GL_CLIP_PLANE0 + 6;

// Cuts what is drawn at x = right. Planes 0-3 clip to the ancestors and 4-5 keep the
// rows inside the list, so this is plane 6 (every driver at hand has 8; with only the
// required 6 the cut is simply not made).
class RightClip {
  public:
    explicit RightClip(float right) {
        GLint planes = 6;
        glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
        if (planes < 7) return;
        const GLdouble eq[4] = {-1, 0, 0, double(right)};
        glClipPlane(kRightPlane, eq);
        glEnable(kRightPlane);
        on_ = true;
    }
    ~RightClip() {
        if (on_) glDisable(kRightPlane);
    }
    RightClip(const RightClip&) = delete;
    RightClip& operator=(const RightClip&) = delete;

  private:
    bool on_ = false;
};

void DrawIcon(Surface* icon, float x, float y, float size) {
    for (GLenum mode : {GLenum(GL_FILL), GLenum(GL_LINE)}) {
        glPolygonMode(GL_FRONT_AND_BACK, mode);
        DrawSurface(x, y, size, size, icon, nullptr);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

}  // namespace

Control* NewMCListBox() { return new MCListBox; }

MCListBox::MCListBox() {
    const Font* f = GetFont();
    columnH = (f ? float(f->height) * f->scale : 0.0f) + 6;
}

int MCListBox::AddColumn(const char* title, float width) {
    if (columnCount >= kMaxListColumns) return -1;
    columns[size_t(columnCount)] = {title ? title : "", std::max(width, 0.0f)};
    return columnCount++;
}

void MCListBox::ClearColumns() {
    for (ListColumn& c : columns) c = ListColumn{};
    columnCount = 0;
    dragColumn = -1;
}

float MCListBox::TitleX(int i) const {
    float tx = x + 5;
    for (int j = 0; j < i && j < columnCount; ++j) tx += columns[size_t(j)].width + 3;
    return tx;
}

int MCListBox::GripAt(float px, float py) const {
    for (int i = 0; i + 1 < columnCount; ++i)
        if (PointInRect(px, py, SeparatorX(i) - x - 3, 0, 6, columnH)) return i;
    return -1;
}

// ---- drawing -------------------------------------------------------------------------------

void MCListBox::DrawCells(const ListItem& item, float rowTop) const {
    const float fontH = FontH();
    const float iconRoom = item.icon ? fontH + 2 : 0.0f;
    float start = x + 2 + iconRoom;
    const char* text = item.text.c_str();
    int32_t pos = 0;
    for (int c = 0; c < columnCount; ++c) {
        if (start - x > w) break;
        // A cell ends at its line feed; the last one runs to the item's visible length.
        const void* lf = std::memchr(text + pos, '\n', size_t(item.visibleLength - pos));
        const int32_t end = lf ? int32_t(static_cast<const char*>(lf) - text) : item.visibleLength;
        // Cell 0 of an item with an icon has the icon's room taken from its column, so
        // that the next cells line up with those of rows without icons.
        const float width = columns[size_t(c)].width - (c == 0 ? iconRoom : 0.0f);
        {
            // Its end keeps from the separator the 1.5 pixels its start keeps, and from the
            // list's edge (or the strip) the 2 the first cell keeps.
            const float right = std::min(x + w - (Scrolling() ? 15.0f : 0.0f) - 2, start + width);
            RightClip clip(std::min(x + w, start + width));
            DrawRowText(start, right, rowTop, std::string_view(text + pos, item.text.size() - size_t(pos)), end - pos,
                        false);
        }
        if (!lf) break;
        start += width + 3;
        pos = end + 1;
    }
}

void MCListBox::Draw() {
    SetColor(color);
    FillRect(x, y, w, h);
    SetColor(textColor);
    FontScope scope(font);
    UpdateScrollRange();
    const bool scrolling = Scrolling();
    const float fontH = FontH(), lineH = LineH(), top = y + columnH, areaH = h - columnH;
    const int32_t count = ItemCount();
    const int32_t first = scrolling ? int32_t(cBlock / lineH) : 0;
    int32_t end = first;
    while (end < count && lineH * float(end) + 2 - cBlock <= areaH) ++end;

    SetClipRows(true);
    for (int32_t i = first; i < end; ++i) {
        const ListItem& item = items[size_t(i)];
        const float bar = top + lineH * float(i) + 1 - cBlock, rowTop = bar + 1;
        if (item.selected) {
            SetColor(selectorColor);
            FillRect(x, bar, w, lineH);
            DrawRect(x, bar, w, lineH);
        }
        if (item.icon) {
            glColor4ub(255, 255, 255, ColorA(textColor));
            DrawIcon(item.icon, x + 2, rowTop, fontH - 1);
        }
        if (font) {
            SetColor(item.selected ? selectedTextColor : textColor);
            DrawCells(item, rowTop);
        }
    }
    SetClipRows(false);

    if (columnH > 0) {
        SetColor(columnBarColor);
        FillRect(x, y, w, columnH);
        if (font) {
            SetColor(columnBarTextColor);
            for (int i = 0; i < columnCount && TitleX(i) - x <= w; ++i) {
                const float tx = TitleX(i);
                RightClip clip(std::min(x + w, tx + columns[size_t(i)].width - 3.5f));
                // A right-to-left title ends as far before its separator as titles start
                // after one.
                const float right = std::min(x + w - 5, SeparatorX(i) - 4.5f);
                DrawRowText(tx, right, y + 3, columns[size_t(i)].title, -1, false);
            }
        }
        float mx, my;
        MouseLocal(&mx, &my);
        for (int i = 0; i + 1 < columnCount && SeparatorX(i) - x < w; ++i) {
            const float sx = SeparatorX(i);
            SetColor(columnBarBorderColor);
            DrawLine(sx, y + 2, sx, y + columnH - 1);
            if (i == dragColumn) {
                glColor4f(0, 0, 0, 0.3f);
                DrawLine(sx, y + columnH, sx, y + h);
            }
            if (PointInRect(mx, my, sx - x - 3, 0, 6, columnH)) SetPointerKind(POINTER_DOUBLE_BAR);
        }
    }

    glColor4ub(0, 0, 0, ColorA(color));
    DrawRect(x, y, w, h);
    DrawLine(x, y + columnH, x + w, y + columnH);
    if (scrolling) {
        const RectF s = Strip();
        DrawIn(s.x, s.y, s.w, s.h);
    }
}

// ---- input ---------------------------------------------------------------------------------

void MCListBox::OnMouseDown(int32_t key) {
    float px, py;
    MouseLocal(&px, &py);
    if (Scrolling() && w - px < 15) {
        Raise(mouseDown, key);
        UpdateScrollRange();
        const RectF s = Strip();
        MouseDownIn(key, s.x, s.y, s.w, s.h);
        return;
    }
    if (py >= columnH) {
        ListMouseDown(key);
        return;
    }
    Raise(mouseDown, key);
    // Only the left button grabs a separator (a wheel notch over the bar must not).
    if (key != KEY_MOUSE1) return;
    const int grip = GripAt(px, py);
    if (grip >= 0) dragColumn = int16_t(grip);
}

void MCListBox::OnMouseMove(float dx, float dy) {
    Raise(mouseMove, dx, dy);
    // Re-armed like the ListBox's, or a shortened item's tooltip would show only once
    // in the list's life.
    hoverTimer = 1.0f;
    float px, py;
    MouseLocal(&px, &py);
    if (py < columnH && dragColumn >= 0 && dragColumn < columnCount) {
        float& width = columns[size_t(dragColumn)].width;
        width = std::max(width + dx, 5.0f);
    }
}

void MCListBox::OnClick(int32_t key) {
    Raise(click, key);
    dragColumn = -1;
}

void MCListBox::Update(float dt) {
    if (!IsKeyDown(KEY_MOUSE1)) dragColumn = -1;
    ListUpdate(dt);
}

void MCListBox::OnDoubleClick(int32_t key) { ListDoubleClick(key); }

void MCListBox::OnKeyDown(int32_t key) { ListKeyDown(key, true); }

int MCListBox::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("ColumnBarColor", PROP_COLOR, nullptr, &columnBarColor);
    list.Add("ColumnBarTextColor", PROP_COLOR, nullptr, &columnBarTextColor);
    list.Add("ColumnBarBorderColor", PROP_COLOR, nullptr, &columnBarBorderColor);
    list.Add("ColumnH", PROP_FLOAT, nullptr, &columnH);
    return list.count + ListBox::ListProperties(list.Rest());
}
