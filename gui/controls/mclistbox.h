// mclistbox.h - `MCListBox`: a list whose items are split into cells at line feeds and
// shown in columns under a bar of titles; the separators between titles are dragged
// with the mouse to resize the columns. Everything else is the ListBox's behaviour.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gui/controls/listbox.h"

struct ListColumn {
    std::string title;
    float width = 0;  // pixels
};

constexpr int kMaxListColumns = 32;

// The rows start below the column bar (`ColumnH` high); the scroll strip is always 15
// pixels wide, beside the rows. An item "a\nb" shows "a" under the first title and "b"
// under the second; text past the last column is not drawn. A column is never dragged
// narrower than 5 pixels. Columns come from `AddColumn`.
//
// Differences from the ListBox: Up and Down set the current index before raising
// `Select`; presses on the strip raise `MouseDown` too.
class MCListBox : public ListBox {
  public:
    int16_t dragColumn = -1;  // column whose right-hand separator is being dragged
    std::array<ListColumn, kMaxListColumns> columns;
    int16_t columnCount = 0;
    Color columnBarColor = MakeColor(225, 225, 225);  // `ColumnBarColor`
    Color columnBarTextColor = MakeColor(0, 0, 0);    // `ColumnBarTextColor`
    Color columnBarBorderColor = MakeColor(0, 0, 0);  // `ColumnBarBorderColor`
    float columnH = 0;                                // `ColumnH`: the GUI default font's height + 6 at construction

    MCListBox();

    // Appends a column; its index, or -1 when all 32 exist.
    int AddColumn(const char* title, float width);
    void ClearColumns();
    // Screen-independent positions, in the coordinates x and y are in: where title i
    // starts, and where the separator to its right stands.
    float TitleX(int i) const;
    float SeparatorX(int i) const { return TitleX(i + 1) - 4.5f; }
    // The separator whose grip holds (px, py) in own coordinates, -1 for none.
    int GripAt(float px, float py) const;

    void Draw() override;
    void Update(float dt) override;
    void OnKeyDown(int32_t key) override;
    void OnMouseDown(int32_t key) override;
    void OnClick(int32_t key) override;
    void OnMouseMove(float dx, float dy) override;
    void OnDoubleClick(int32_t key) override;
    // ColumnBarColor, ColumnBarTextColor, ColumnBarBorderColor, ColumnH, then the ListBox's
    int ListProperties(PropertyEntry* table) override;

  protected:
    float ListTop() const override { return columnH; }
    RectF Strip() const override { return {x + w - 15, y + columnH, 15, h - columnH}; }

  private:
    void DrawCells(const ListItem& item, float rowTop) const;
};

Control* NewMCListBox();
