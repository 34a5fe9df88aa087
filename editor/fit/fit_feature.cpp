// fit_feature.cpp - the room of the loaded file's texts in the game (fit_feature.h): the
// settings and the game's fonts read when the screen is built, the checks the desk lists,
// the Fit part of the panel with its picture, and a hidden watcher that measures the text
// box again once typing has rested, as spelling does (editor/qa/box_spelling.cpp).
#include "editor/fit/fit_feature.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "editor/edited_text.h"
#include "editor/fit/fit_preview.h"
#include "editor/qa/project_settings.h"
#include "editor/text_store.h"
#include "gui/control.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "render/font.h"

namespace {

constexpr const char* kBox = "Text";
constexpr const char* kWatcher = "FitWatch";

struct FitState {
    qa::ProjectSettings settings;
    Font* editorFont = nullptr;          // the editor's own, standing in for a file without [font]
    std::map<std::string, Font*> fonts;  // by file: the font [font] names (null: it could not be read)
    FitShown shown;
    FitPicture picture;
    bool fileMeasured = false;  // the loaded file has a room or a font: the watcher watches
    std::string seen;           // the box's text as the watcher last saw it
    float rest = 0;             // > 0: seconds until the box is measured again
};
FitState g_fit;

// The file of the loaded key ("menu" of "German\menu").
std::string LoadedFile() {
    const std::string& key = CurrentKey();
    const size_t slash = key.find('\\');
    return slash == std::string::npos ? key : key.substr(slash + 1);
}

// The font the texts of `file` are measured in; null when its [font] could not be read.
Font* FontOf(const std::string& file, bool& gameFont) {
    gameFont = g_fit.settings.fonts.count(file) > 0;
    if (!gameFont) return g_fit.editorFont;
    const auto font = g_fit.fonts.find(file);
    return font == g_fit.fonts.end() ? nullptr : font->second;
}

// Item i's text as it is now: the text box's, put back onto the stored bytes, while the
// box shows the item.
std::string LiveText(int32_t i) {
    if (i != g_editor.shownItem) return ItemText(i);
    const TextEdit* edit = TextEditOf(FindControl(kBox));
    return edit ? MergeEditedText(ItemText(i), edit->text) : ItemText(i);
}

// Measures item i (its live text) into g_fit.shown, unless that is what it holds.
void Measure(int32_t i) {
    const std::string file = LoadedFile();
    bool gameFont = false;
    Font* font = FontOf(file, gameFont);
    const fit::Room room = fit::RoomOf(g_fit.settings, file, i);
    if (i < 0 || i >= ItemCount() || (!room.Any() && !gameFont) || (!font && (gameFont || room.width > 0))) {
        g_fit.shown = {};
        g_fit.picture = {};
        return;
    }
    std::string text = LiveText(i);
    if (g_fit.shown.item == i && g_fit.shown.text == text && g_fit.picture.font == font) return;
    FitShown& shown = g_fit.shown;
    shown.item = i;
    shown.room = room;
    shown.layout = fit::LayOut(font, text, room, gameFont);
    shown.summary = fit::Summary(shown.layout, room);
    g_fit.picture.font = font;
    g_fit.picture.room = room;
    g_fit.picture.lines =
        room.width > 0 ? fit::PreviewLines(font, text, shown.layout, room) : std::vector<fit::PreviewLine>{};
    g_fit.picture.text = text.substr(0, text.find('\0'));
    shown.text = std::move(text);
}

void DrawPicture(float x, float y, float w, float) { DrawFitPicture(g_fit.picture, x, y, w); }

void Picture(int32_t i, float width, PanelPicture& out) {
    Measure(i);
    if (g_fit.shown.item != i || g_fit.shown.room.width <= 0 || !g_fit.picture.font) return;
    g_fit.picture.scale = g_fit.shown.scale = FitPictureScale(g_fit.shown.room.width, width);
    out.height = FitPictureHeight(g_fit.picture);
    out.draw = DrawPicture;
}

std::string MissingList(const std::vector<fit::Missing>& missing, const Font* font) {
    std::vector<int32_t> seen;
    std::string out;
    for (const fit::Missing& m : missing) {
        if (std::find(seen.begin(), seen.end(), m.codePoint) != seen.end()) continue;
        seen.push_back(m.codePoint);
        char code[24];
        std::snprintf(code, sizeof code, "U+%04X", unsigned(m.codePoint));
        out += std::string(out.empty() ? "" : ", ") + code;
    }
    (void)font;
    return out;
}

void Describe(int32_t i, const Font* panelFont, DescParts& parts) {
    Measure(i);
    const FitShown& shown = g_fit.shown;
    if (shown.item != i) return;
    const std::string file = LoadedFile();
    bool gameFont = false;
    FontOf(file, gameFont);
    const bool problem = fit::TooWide(shown.layout, shown.room) || fit::TooManyLines(shown.layout, shown.room);
    std::string text = std::string(panel::kHeading) + "In the game" + panel::kDefault;
    if (!shown.summary.empty())
        text += std::string("  ") + (problem ? panel::kProblem : panel::kAdded) + shown.summary + panel::kDefault;
    const std::string fontName = gameFont ? g_fit.settings.fonts.at(file) : std::string("the editor's font");
    text += std::string(panel::kQuiet) + "  " + panel::Shown(fontName, panelFont);
    if (shown.room.width > 0 && shown.scale < 1)
        text += ", shown at " + std::to_string(int(std::floor(shown.scale * 100))) + "%";
    text += panel::kDefault;
    if (!shown.layout.missing.empty())
        text += std::string("\n") + (gameFont ? panel::kProblem : panel::kQuiet) + "No glyph in " +
                (gameFont ? "the game's font" : "the editor's font") + " for " +
                MissingList(shown.layout.missing, panelFont) + panel::kDefault;
    parts[size_t(DescSection::Fit)] = std::move(text);
}

void Check(int32_t i, std::string_view text, std::vector<qa::Finding>& found) {
    const std::string file = LoadedFile();
    if (!fit::FileIsMeasured(g_fit.settings, file)) return;
    bool gameFont = false;
    const Font* font = FontOf(file, gameFont);
    const fit::Room room = fit::RoomOf(g_fit.settings, file, i);
    if ((!room.Any() && !gameFont) || (!font && (gameFont || room.width > 0))) return;
    for (qa::Finding& f : fit::Findings(fit::LayOut(font, text, room, gameFont), room, gameFont))
        found.push_back(std::move(f));
}

void MeasureShownItem() {
    g_fit.rest = 0;
    const int32_t i = g_editor.items ? g_editor.items->current : -1;
    if (i < 0 || i != g_editor.shownItem || !fit::FileIsMeasured(g_fit.settings, LoadedFile())) return;
    ShowDescPanel(i);
}

// Hidden and without size: it only takes part in the frame's update, where it notices
// that the box's text changed and measures it once the typing has rested.
class FitWatch : public Control {
  public:
    void Update(float dt) override {
        if (!g_fit.fileMeasured) return;
        const TextEdit* edit = TextEditOf(FindControl(kBox));
        if (!edit) return;
        if (edit->text != g_fit.seen) {
            g_fit.seen = edit->text;
            g_fit.rest = kFitPauseSeconds;
            GuiWakeIn(g_fit.rest);
            return;
        }
        if (g_fit.rest <= 0) return;
        g_fit.rest -= dt;
        if (g_fit.rest > 0)
            GuiWakeIn(g_fit.rest);
        else
            MeasureShownItem();
    }
};

Control* NewFitWatch() { return new FitWatch; }

void FillFitWatchClass(ControlClass* cls) {
    std::snprintf(cls->name, sizeof cls->name, "%s", kWatcher);
    cls->factory = &NewFitWatch;
}

// The settings and the game's fonts, once per screen; a font that cannot be read is said
// once, with its line.
void Install() {
    g_fit = FitState{};
    g_fit.editorFont = GetFont();
    (void)qa::LoadProjectSettings(".", g_fit.settings);  // its problems are the desk's to say
    std::map<std::string, Font*> byPath;
    std::string problems;
    for (const auto& [file, written] : g_fit.settings.fonts) {
        const std::string path = fit::FontPath(g_fit.settings, ".", file);
        const auto known = byPath.find(path);
        Font* font = known != byPath.end() ? known->second : LoadFont(path.c_str());
        byPath[path] = font;
        g_fit.fonts[file] = font;
        if (font || known != byPath.end()) continue;
        const auto line = g_fit.settings.lines.find("font/" + file);
        problems += std::string(qa::kProjectSettingsFile) +
                    (line == g_fit.settings.lines.end() ? std::string() : " line " + std::to_string(line->second)) +
                    ": the font " + written + " of '" + file + "' cannot be read or is not a .dsf font\n";
    }
    Control* box = FindControl(kBox);
    if (box && box->parent) {
        if (!FindControlClass(kWatcher)) RegisterControlClass(FillFitWatchClass);
        if (Control* watch = CreateControl(kWatcher, kWatcher, box->parent->name, 0, 0, 0, 0)) watch->visible = 0;
    }
    if (problems.empty()) return;
    problems += "\nThe texts of those files are not measured.";
    if (Ask(problems, "Project settings", "Ok", 0) < 0) std::fprintf(stderr, "%s\n", problems.c_str());
}

}  // namespace

const FitShown& ShownFit() { return g_fit.shown; }

void MeasureFitNow() {
    const TextEdit* edit = TextEditOf(FindControl(kBox));
    if (edit) g_fit.seen = edit->text;
    MeasureShownItem();
}

const Feature kFitFeature = {
    .name = "fit",
    .install = Install,
    .fileLoaded =
        [] {
            g_fit.shown = {}, g_fit.picture = {};
            g_fit.fileMeasured = fit::FileIsMeasured(g_fit.settings, LoadedFile());
        },
    .itemShown =
        [](int32_t) {
            const TextEdit* edit = TextEditOf(FindControl(kBox));
            g_fit.seen = edit ? edit->text : std::string();
            g_fit.rest = 0;
        },
    .describe = Describe,
    .picture = Picture,
    .check = Check,
};
