// fuzz_project_settings.cpp - zazovi-project.ini files to the settings reader: every
// problem names a line of the file, what is taken is within its rules, names the project
// lacks are each reported, and the file read from disk gives what its text gives.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

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
    const std::vector<std::string> unknown =
        qa::UnknownSettingNames(settings, {"menu", "game", "keyboard"}, {"German"});
    size_t lacking = 0;
    for (const auto& [file, limit] : settings.lengthLimits)
        lacking += file != "menu" && file != "game" && file != "keyboard";
    Check(unknown.size() == lacking + settings.dictionaries.size() - settings.dictionaries.count("German"));

    // The same bytes on disk: the reader of the file gives the reader of the text's answer.
    {
        std::ofstream(Folder() / qa::kProjectSettingsFile, std::ios::binary | std::ios::trunc)
            .write(text.data(), std::streamsize(size));
    }
    qa::ProjectSettings fromDisk;
    Check(qa::LoadProjectSettings(Folder().string(), fromDisk) == problems);
    Check(fromDisk.lengthLimits == settings.lengthLimits && fromDisk.dictionaries == settings.dictionaries);
    return 0;
}
