// fit_feature.cpp - the room of the loaded file's texts in the game (fit_feature.h): the
// settings and the game's fonts read when the screen is built, and the checks the desk
// lists.
#include "editor/fit/fit_feature.h"

#include <cstdio>
#include <map>

#include "editor/fit/fit_check.h"
#include "editor/qa/project_settings.h"
#include "editor/text_store.h"
#include "gui/gui.h"
#include "render/font.h"

namespace {

struct FitState {
    qa::ProjectSettings settings;
    Font* editorFont = nullptr;          // the editor's own, standing in for a file without [font]
    std::map<std::string, Font*> fonts;  // by file: the font [font] names (null: it could not be read)
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
    if (problems.empty()) return;
    problems += "\nThe texts of those files are not measured.";
    if (Ask(problems, "Project settings", "Ok", 0) < 0) std::fprintf(stderr, "%s\n", problems.c_str());
}

}  // namespace

const Feature kFitFeature = {
    .name = "fit",
    .install = Install,
    .check = Check,
};
