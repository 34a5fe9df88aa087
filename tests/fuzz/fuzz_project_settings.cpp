// fuzz_project_settings.cpp - zazovi-project.ini files to the settings reader: every
// problem names a line of the file, what is taken is within its rules (the rooms of files
// and items and the fonts too), names the project lacks are each reported (a per-item
// section of an unknown file once, an item past its file's count each), an item's room is
// its own value or its file's, and the file read from disk gives what its text gives.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "editor/fit/fit_check.h"
#include "editor/qa/project_settings.h"

namespace fs = std::filesystem;

namespace {

// A folder of this process's own for the file on disk, removed when the run ends.
struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("fuzz_project_settings-" + std::to_string(::getpid()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const fs::path& Folder() {
    static const ScratchFolder folder;
    return folder.path;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qa::ProjectSettings settings;
    const std::vector<std::string> problems = qa::ParseProjectSettings(text, settings);

    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    const std::string prefix = std::string(qa::kProjectSettingsFile) + " line ";
    for (const std::string& p : problems) {
        Check(p.compare(0, prefix.size(), prefix) == 0);
        const size_t n = std::stoul(p.substr(prefix.size()));
        Check(n >= 1 && n <= lines);
    }
    for (const auto& [file, limit] : settings.lengthLimits) {
        Check(limit >= 1 && limit <= 32767);
        Check(settings.lines.count("length/" + file) == 1);
    }
    for (const auto& [folder, name] : settings.dictionaries) {
        Check(!name.empty() && name.size() <= 64);
        Check(settings.lines.count("dictionary/" + folder) == 1);
    }
    for (const auto& [file, font] : settings.fonts) Check(!font.empty() && settings.lines.count("font/" + file) == 1);
    for (const char* kind : {"width", "lines"}) {
        const bool width = std::string(kind) == "width";
        for (const auto& [file, value] : width ? settings.widthLimits : settings.lineLimits) {
            Check(value >= 1 && value <= 32767);
            Check(settings.lines.count(std::string(kind) + "/" + file) == 1);
        }
        for (const auto& [file, items] : width ? settings.itemWidthLimits : settings.itemLineLimits) {
            Check(!items.empty());
            for (const auto& [index, value] : items) {
                Check(index >= 0 && index < 32767 && value >= 1 && value <= 32767);
                Check(settings.lines.count(std::string(kind) + "." + file + "/" + std::to_string(index)) == 1);
                // The item's own value wins over its file's.
                const fit::Room room = fit::RoomOf(settings, file, index);
                Check((width ? room.width : room.lines) == value);
            }
        }
    }
    const std::vector<std::string> files = {"menu", "game", "keyboard"};
    const auto unknownFile = [&](const std::string& file) {
        return std::find(files.begin(), files.end(), file) == files.end();
    };
    const std::vector<std::string> unknown = qa::UnknownSettingNames(settings, files, {"German"});
    size_t lacking = 0;
    for (const auto& [file, limit] : settings.lengthLimits) lacking += unknownFile(file);
    for (const auto& [file, font] : settings.fonts) lacking += unknownFile(file);
    for (const auto& [file, value] : settings.widthLimits) lacking += unknownFile(file);
    for (const auto& [file, value] : settings.lineLimits) lacking += unknownFile(file);
    for (const auto& [file, items] : settings.itemWidthLimits) lacking += unknownFile(file);
    for (const auto& [file, items] : settings.itemLineLimits) lacking += unknownFile(file);
    lacking += settings.dictionaries.size() - settings.dictionaries.count("German");
    lacking += settings.languageTags.size() - settings.languageTags.count("German");
    Check(unknown.size() == lacking);
    // Every item past its known file's count is named once, with its line.
    size_t past = 0;
    for (const auto* byFile : {&settings.itemWidthLimits, &settings.itemLineLimits})
        for (const auto& [file, items] : *byFile)
            if (!unknownFile(file))
                for (const auto& [index, value] : items) past += index >= 10;
    const std::vector<std::string> items = fit::UnknownItems(settings, {{"menu", 10}, {"game", 10}, {"keyboard", 10}});
    Check(items.size() == past);
    for (const std::string& p : items) Check(p.compare(0, prefix.size(), prefix) == 0);

    // The same bytes on disk: the reader of the file gives the reader of the text's answer.
    {
        std::ofstream(Folder() / qa::kProjectSettingsFile, std::ios::binary | std::ios::trunc)
            .write(text.data(), std::streamsize(size));
    }
    qa::ProjectSettings fromDisk;
    Check(qa::LoadProjectSettings(Folder().string(), fromDisk) == problems);
    Check(fromDisk.lengthLimits == settings.lengthLimits && fromDisk.dictionaries == settings.dictionaries);
    Check(fromDisk.fonts == settings.fonts && fromDisk.widthLimits == settings.widthLimits &&
          fromDisk.lineLimits == settings.lineLimits && fromDisk.itemWidthLimits == settings.itemWidthLimits &&
          fromDisk.itemLineLimits == settings.itemLineLimits && fromDisk.languageTags == settings.languageTags);
    return 0;
}
