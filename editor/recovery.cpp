// recovery.cpp - the recovery file of a failed save: the form (.loc, or loctool's text
// form when the texts do not fit a .loc) and the places tried in turn, so that the
// texts are left somewhere whatever made the save fail.
#include "editor/recovery.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "formats/loc_format.h"
#include "platform/platform.h"
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;

namespace {

// "<stem><ext>", else "<stem>2<ext>", 3, ... up to 99: the first name not yet taken.
// False when the folder takes no new file (missing, read-only, full) or all are taken.
bool PlaceNumbered(const std::string& stem, const std::string& ext, const std::string& bytes, std::string& path) {
    for (int n = 1; n <= 99; ++n) {
        const std::string candidate = stem + (n > 1 ? std::to_string(n) : std::string()) + ext;
        std::error_code ec;
        if (PlatCreateNewFile(candidate, bytes)) {
            const fs::path full = fs::absolute(PlatFsPath(candidate), ec);
            path = ec ? candidate : PlatPathString(full);
            return true;
        }
        if (!fs::exists(PlatFsPath(candidate), ec)) return false;
    }
    return false;
}

}  // namespace

std::string RecoveryText() {
    std::vector<loctext::Item> items(static_cast<size_t>(ItemCount()));
    for (int i = 0; i < ItemCount(); ++i) {
        loctext::Item& item = items[static_cast<size_t>(i)];
        item.name = ItemName(i), item.text = ItemText(i);
        item.hasName = item.hasText = true;
    }
    const std::string loc = HostPath("Texts\\" + CurrentKey() + ".loc");
    return loctext::DumpText(items, "The texts of " + loc +
                                        " that could not be saved. Make it a .loc again with: loctool pack "
                                        "THIS-FILE " +
                                        loc);
}

StoreResult WriteRecoveryFile(std::string& path) {
    path.clear();
    const std::string& key = CurrentKey();
    if (key.empty()) return {false, "Nothing is loaded, so there is nothing to recover"};
    const std::string loc = HostPath("Texts\\" + key + ".loc");
    std::string bytes, ext;
    // A text past the format's limit cannot be kept in a .loc: the text form has none.
    if (!locformat::EncodeLoc(g_store.texts, loc, bytes).ok) bytes = RecoveryText(), ext = ".txt";

    std::string flat = key;
    for (char& c : flat)
        if (c == '\\') c = '-';
    const fs::path elsewhere = PlatFsPath("zazovi-" + flat + ".loc.recovered");
    std::vector<std::string> stems = {loc + ".recovered", PlatPathString(elsewhere)};
    if (const std::string data = PlatUserDataFolder(); !data.empty())
        stems.push_back(PlatPathString(PlatFsPath(data) / elsewhere));
    std::error_code ec;
    if (const fs::path temp = fs::temp_directory_path(ec); !ec) stems.push_back(PlatPathString(temp / elsewhere));
    for (const std::string& stem : stems)
        if (PlaceNumbered(stem, ext, bytes, path)) return {};
    return {false, "Cannot write a recovery file for " + loc +
                       " beside it, in the project folder, in the user's data folder or in the temporary folder"};
}

void WriteRecoveryToStderr() {
    const std::string text = RecoveryText();
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
