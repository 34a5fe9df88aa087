// desk_open.cpp - the project, language and file named by a .loc path on the command line.
#include "editor/desk_open.h"

#include <system_error>

#include "editor/text_store.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool InFileList(const std::string& stem) {
    for (int i = 0; i < FileCount(); ++i)
        if (FileName(i) == stem) return true;
    return false;
}

std::string NotAProjectFile(const std::string& path) {
    return "Cannot open " + path +
           ": it is neither a project folder (the folder that holds Texts and Descriptions) nor a .loc file "
           "inside one (Project/Texts/<language>/menu.loc, game.loc or keyboard.loc).";
}

}  // namespace

bool ResolveOpenArgument(const fs::path& startFolder, const std::string& argument, OpenRequest* request,
                         std::string* message) {
    *request = {};
    request->project = argument;
    const fs::path named = startFolder / PlatFsPath(argument);
    const std::string shown = PlatPathString(named);
    std::error_code ec;
    const fs::file_status status = fs::status(named, ec);
    const bool locName = Lower(PlatPathString(named.extension())) == ".loc";
    if (!fs::exists(status)) {
        if (!locName) return true;  // a missing folder: the project folder's own message says so
        *message = "Cannot open " + shown + ": there is no such file.";
        return false;
    }
    if (fs::is_directory(status)) return true;
    const fs::path languageFolder = named.parent_path(), texts = languageFolder.parent_path();
    const std::string stem = PlatPathString(named.stem());
    // Windows names are alike in any case: "texts" is the Texts folder there.
    if (!locName || Lower(PlatPathString(texts.filename())) != "texts" || !InFileList(stem)) {
        *message = NotAProjectFile(shown);
        return false;
    }
    request->project = PlatPathString(texts.parent_path());
    request->language = PlatPathString(languageFolder.filename());
    request->file = stem;
    return true;
}
