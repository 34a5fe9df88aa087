// features.cpp - raising the editing flow's steps to the features, in the list's order,
// and the panel under the description that their parts make up.
#include "editor/features.h"

#include <algorithm>
#include <cstdio>

#include "editor/desk_progress.h"
#include "editor/desk_reference.h"
#include "editor/review/word_diff.h"
#include "editor/text_store.h"
#include "gui/controls/frame_label_line.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "render/font.h"
#include "render/texture.h"

namespace {

constexpr const char* kPanelRule = "DeskRule";
constexpr const char* kPanelText = "DeskReference";
constexpr const char* kPanelPicture = "DeskPicture";
constexpr const char* kPictureClass = "PanelPicture";
constexpr float kPanelGap = 6;  // between the panel's text and its picture

// The picture the panel shows, drawn by its feature's drawer.
PanelPicture g_picture;

// A control that only hands its box to the drawer of the panel's picture.
class PictureControl : public Control {
  public:
    void Draw() override {
        if (g_picture.draw) g_picture.draw(x, y, w, h);
    }
};

Control* NewPictureControl() { return new PictureControl; }

void FillPictureClass(ControlClass* cls) {
    std::snprintf(cls->name, sizeof cls->name, "%s", kPictureClass);
    cls->factory = &NewPictureControl;
}

// The row pictures, made for the list's font when the screen is built.
Surface* g_rowPictures[kRowMarkCount] = {};

void FreeRowPictures() {
    for (Surface*& picture : g_rowPictures) {
        FreeSurface(picture);
        picture = nullptr;
    }
}

void MakeRowPictures() {
    FreeRowPictures();
    const int size = g_editor.items ? std::max(8, int(g_editor.items->FontH()) - 1) : 14;
    for (int m = 0; m < kRowMarkCount; ++m) {
        const std::vector<uint8_t> rgba = DrawRowMarkIcon(static_cast<RowMark>(m), size);
        g_rowPictures[m] = CreateSurfaceRGBA(rgba.data(), size, size);
    }
}

// Calls fn(feature) for every feature, in order.
template <class Fn>
void EachFeature(Fn fn) {
    size_t count = 0;
    const Feature* const* list = Features(count);
    for (size_t k = 0; k < count; ++k) fn(*list[k]);
}

// The GUI's one shortcut filter, asking every feature in turn.
bool FeatureKey(uint8_t key) {
    bool taken = false;
    EachFeature([&](const Feature& f) { taken = taken || (f.key && f.key(key)); });
    return taken;
}

void FeatureInputHandled() {
    EachFeature([](const Feature& f) {
        if (f.inputHandled) f.inputHandled();
    });
}

void CreateDescPanel() {
    CreateControl("Line", kPanelRule, "Desc", 4, 100, 477, 1);
    SetControlProperty(kPanelRule, "h", ValFloat(0));
    SetControlProperty(kPanelRule, "LineWidth", ValFloat(1));
    SetControlProperty(kPanelRule, "Color", ValColor(MakeColor(0, 0, 160)));
    CreateControl("Label", kPanelText, "Desc", 0, 104, 485, 186);
    SetControlProperty(kPanelText, "Text", "");
    if (!FindControlClass(kPictureClass)) RegisterControlClass(FillPictureClass);
    CreateControl(kPictureClass, kPanelPicture, "Desc", 4, 104, 477, 0);
    HideDescPanel();
}

}  // namespace

void FeaturesInstall() {
    MakeRowPictures();
    CreateDescPanel();
    g_gui.shortcutKey = FeatureKey;
    g_gui.inputHandled = FeatureInputHandled;
    EachFeature([](const Feature& f) {
        if (f.install) f.install();
    });
}

void FeaturesFileLoaded() {
    HideDescPanel();
    EachFeature([](const Feature& f) {
        if (f.fileLoaded) f.fileLoaded();
    });
    // Once every feature has read what it says of the rows (states, the glossary), and
    // what one feature shows may count what a later one loaded.
    RefreshRowMarks();
    RefreshFeatures();
}

void FeaturesItemShown(int32_t i) {
    EachFeature([&](const Feature& f) {
        if (f.itemShown) f.itemShown(i);
    });
    ShowDescPanel(i);
}

void FeaturesItemCommitted(int32_t i) {
    EachFeature([&](const Feature& f) {
        if (f.itemCommitted) f.itemCommitted(i);
    });
    // What a later feature now says of the item may change the row and the title.
    RefreshRowMark(i);
    RefreshFeatures();
    if (g_editor.items && i == g_editor.items->current) ShowDescPanel(i);
}

void FeaturesFileSaved() {
    EachFeature([](const Feature& f) {
        if (f.fileSaved) f.fileSaved();
    });
    RefreshFeatures();
}

std::vector<PlatFileWrite> FeaturesFilesToSave() {
    std::vector<PlatFileWrite> files;
    EachFeature([&](const Feature& f) {
        if (f.filesToSave) f.filesToSave(files);
    });
    return files;
}

int FeaturesToReview() {
    int count = 0;
    EachFeature([&](const Feature& f) { count += f.toReview ? f.toReview() : 0; });
    return count;
}

int ItemsWithProblems() {
    int count = 0;
    const int32_t items = g_editor.items ? g_editor.items->ItemCount() : 0;
    for (int32_t i = 0; i < items; ++i) {
        bool problem = false;
        EachFeature([&](const Feature& f) { problem = problem || (f.rowMark && f.rowMark(i) == RowMark::Problem); });
        count += problem;
    }
    return count;
}

bool FeaturesUnsaved() {
    bool unsaved = false;
    EachFeature([&](const Feature& f) { unsaved = unsaved || (f.unsaved && f.unsaved()); });
    return unsaved;
}

void RefreshFeatures() {
    EachFeature([](const Feature& f) {
        if (f.refresh) f.refresh();
    });
}

std::vector<qa::Finding> FeaturesCheck(int32_t i, std::string_view text) {
    std::vector<qa::Finding> found;
    EachFeature([&](const Feature& f) {
        if (f.check) f.check(i, text, found);
    });
    return found;
}

void FeaturesShutdown() {
    EachFeature([](const Feature& f) {
        if (f.shutdown) f.shutdown();
    });
    g_gui.shortcutKey = nullptr;
    g_gui.inputHandled = nullptr;
    FreeRowPictures();
}

LastPosition FeaturesStartPosition(const LastPosition& stored) {
    LastPosition at = stored;
    EachFeature([&](const Feature& f) {
        if (f.startPosition) f.startPosition(at);
    });
    return at;
}

// ---- the row pictures ----

RowMark RowMarkOf(int32_t i) {
    RowMark mark = RowMark::Translated;
    EachFeature([&](const Feature& f) {
        if (f.rowMark) mark = std::max(mark, f.rowMark(i));
    });
    return mark;
}

const Surface* RowMarkPicture(RowMark mark) {
    const int m = static_cast<int>(mark);
    return m >= 0 && m < kRowMarkCount ? g_rowPictures[m] : nullptr;
}

void RefreshRowMark(int32_t i) {
    ListBox* list = g_editor.items;
    if (!list || i < 0 || i >= list->ItemCount()) return;
    list->items[static_cast<size_t>(i)].icon = g_rowPictures[static_cast<int>(RowMarkOf(i))];
}

void RefreshRowMarks() {
    ListBox* list = g_editor.items;
    if (!list) return;
    for (int32_t i = 0; i < list->ItemCount(); ++i) RefreshRowMark(i);
    list->RefitAll();  // the pictures take room from the names
}

// ---- the panel ----

std::string DescPanelText(int32_t i, const Font* font) {
    DescParts parts;
    EachFeature([&](const Feature& f) {
        if (f.describe) f.describe(i, font, parts);
    });
    std::string text;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!text.empty()) text += "\n\n";
        text += part;
    }
    return text;
}

void HideDescPanel() {
    SetControlProperty(kPanelRule, "Visible", ValBool(false));
    SetControlProperty(kPanelText, "Visible", ValBool(false));
    SetControlProperty(kPanelPicture, "Visible", ValBool(false));
    g_picture = {};
}

void ShowDescPanel(int32_t i) {
    auto* desc = dynamic_cast<Label*>(FindControl("Desc"));
    if (!desc || !FindControl(kPanelText) || i < 0 || i >= ItemCount()) return HideDescPanel();
    // Under the description's own lines, so none of them is hidden, but with room for a
    // few lines of its own (it scrolls by itself when it is longer).
    const float width = desc->w - (desc->scrolling ? desc->scrollBarWidth + 1 : 0);
    PanelPicture picture;
    EachFeature([&](const Feature& f) {
        if (f.picture && !picture.draw) f.picture(i, width - 8, picture);
    });
    if (!picture.draw || picture.height <= 0) picture = {};
    const std::string text = DescPanelText(i, desc->font);
    if (text.empty() && !picture.draw) return HideDescPanel();
    const float used = desc->font ? float(TextHeightFont(desc->font, width, 0, ItemDescription(i).c_str(), 0, -1)) : 0;
    const float top = std::clamp(used + 8.0f, 8.0f, desc->h - 64.0f);
    const float panelY = top + 4, panelH = desc->h - top - 4;
    // The picture right under the text, or at the panel's foot when the text needs the
    // room (the text then scrolls); it takes at most half the panel.
    const float pictureH = std::min(picture.height, panelH / 2);
    float textH = panelH;
    if (picture.draw) {
        const float needed =
            text.empty() || !desc->font ? 0 : float(TextHeightFont(desc->font, width, 0, text.c_str(), 0, -1));
        textH = std::min(needed, panelH - pictureH - kPanelGap);
    }
    const float pictureY = panelY + (text.empty() ? 0 : textH + kPanelGap), pictureW = width - 8;
    g_picture = picture;
    SetControlProperty(kPanelRule, "y", &top);
    SetControlProperty(kPanelText, "y", &panelY);
    SetControlProperty(kPanelText, "h", &textH);
    SetControlProperty(kPanelText, "Text", text.c_str());
    SetControlProperty(kPanelPicture, "y", &pictureY);
    SetControlProperty(kPanelPicture, "w", &pictureW);
    SetControlProperty(kPanelPicture, "h", &pictureH);
    SetControlProperty(kPanelRule, "Visible", ValBool(true));
    SetControlProperty(kPanelText, "Visible", ValBool(!text.empty()));
    SetControlProperty(kPanelPicture, "Visible", ValBool(picture.draw != nullptr));
}

// ---- the panel's writing ----

std::string panel::Shown(std::string_view text, const Font* font) {
    return TagsAsText(text, FindGlyph(0x200A, font) >= 0 ? "\u200A" : " ");
}

std::string panel::Diff(std::string_view from, std::string_view to, const Font* font) {
    std::string out;
    for (const review::DiffPiece& piece : review::WordDiff(from, to)) {
        if (piece.kind == review::DiffKind::Same)
            out += Shown(piece.text, font);
        else
            out += (piece.kind == review::DiffKind::Removed ? kProblem : kAdded) + Shown(piece.text, font) + kDefault;
    }
    return out;
}
