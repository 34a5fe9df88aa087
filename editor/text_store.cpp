// text_store.cpp - keeps the item tables of the loaded file. Files are read whole and
// parsed from memory (formats/loc_format), and written whole through the platform's
// atomic replace, so the old file is replaced only by a complete new one.
#include "editor/text_store.h"

#include <filesystem>
#include <functional>
#include <system_error>

#include "editor/project_journal.h"
#include "formats/loc_format.h"
#include "platform/platform.h"

namespace fs = std::filesystem;
using locformat::Trailing;

TextStore g_store;

namespace {

const std::string kEmpty;

std::string LocPath(const std::string& key) { return "Texts\\" + key + ".loc"; }
std::string DescPath(const std::string& file) { return "Descriptions\\" + file + ".desc"; }

StoreResult Fail(const std::string& message) { return {false, message}; }
StoreResult FromFormat(const locformat::Result& r) { return {r.ok, r.message}; }

// Data files are read through their documented path, mapped to the host's form here.
StoreResult ReadDataFile(const std::string& path, std::string& bytes) {
    StoreResult r;
    r.ok = PlatReadFile(HostPath(path), bytes, &r.message);
    return r;
}

// A text too long for its record names the file as a failed save does.
StoreResult EncodeLoc(const std::string& file, std::string& bytes) {
    return FromFormat(locformat::EncodeLoc(g_store.texts, "Cannot save " + file, bytes));
}

DiskFingerprint FingerprintOf(const std::string& path, const std::string& bytes) {
    DiskFingerprint print;
    std::error_code ec;
    print.time = fs::last_write_time(PlatFsPath(HostPath(path)), ec);
    print.size = bytes.size();
    print.hash = std::hash<std::string_view>{}(bytes);
    print.known = true;
    return print;
}

}  // namespace

StoreResult ReplaceFile(const std::string& path, const std::string& bytes) {
    StoreResult r;
    r.ok = PlatReplaceFile(HostPath(path), bytes, &r.message);
    if (!r.ok) r.message = "Cannot save " + HostPath(path) + ": " + r.message;
    return r;
}

std::string HostPath(const std::string& path) {
    std::string host = path;
    for (char& c : host)
        if (c == '\\') c = static_cast<char>(fs::path::preferred_separator);
    return host;
}

StoreResult ReadTexts(const std::string& key) {
    ResetStore();
    const std::string path = LocPath(key);
    std::string bytes;
    std::vector<std::string> texts;
    StoreResult r = ReadDataFile(path, bytes);
    if (r.ok) r = FromFormat(locformat::ParseLoc(bytes, HostPath(path), Trailing::Ignore, texts));
    if (!r.ok) return r;
    const auto count = static_cast<int16_t>(texts.size());
    g_store.texts = std::move(texts);
    g_store.names.assign(count, {});
    g_store.descriptions.assign(count, {});
    g_store.itemCount = count;
    g_store.key = key;
    g_store.onDisk = FingerprintOf(path, bytes);
    return {};
}

StoreResult ReadDescriptions() {
    if (g_store.key.empty()) return Fail("Cannot read descriptions: no .loc file is loaded");
    const size_t slash = g_store.key.find('\\');
    const std::string part = slash == std::string::npos ? g_store.key : g_store.key.substr(slash + 1);
    const std::string path = DescPath(part);
    std::string bytes;
    locformat::Descriptions desc;
    StoreResult r = ReadDataFile(path, bytes);
    if (r.ok) r = FromFormat(locformat::ParseDesc(bytes, HostPath(path), g_store.itemCount, Trailing::Ignore, desc));
    if (!r.ok) {
        // Texts without their names cannot be edited sensibly; unload them all
        // so that no later save acts on a half-loaded file.
        ResetStore();
        return r;
    }
    g_store.names = std::move(desc.names);
    g_store.descriptions = std::move(desc.descs);
    return {};
}

bool SetItemText(int i, std::string_view text) {
    if (i < 0 || i >= g_store.itemCount) return false;
    g_store.texts[i].assign(text);
    return true;
}

StoreResult SaveCurrentFile(const std::vector<PlatFileWrite>& alongside) {
    if (g_store.key.empty()) return {};
    const std::string path = LocPath(g_store.key);
    std::string bytes;
    StoreResult r = EncodeLoc(HostPath(path), bytes);
    if (!r.ok) return r;
    if (alongside.empty()) {
        r = ReplaceFile(path, bytes);
    } else {
        // The features' files go with the texts they belong to, all or none.
        std::vector<PlatFileWrite> files = {{path, bytes}};
        files.insert(files.end(), alongside.begin(), alongside.end());
        r = ReplaceProjectFiles(files);
    }
    if (r.ok) g_store.onDisk = FingerprintOf(path, bytes);
    return r;
}

bool LoadedFileChangedOnDisk() {
    if (g_store.key.empty() || !g_store.onDisk.known) return false;
    const std::string path = LocPath(g_store.key);
    std::string bytes;
    if (!ReadDataFile(path, bytes).ok) return false;
    const DiskFingerprint now = FingerprintOf(path, bytes);
    const DiskFingerprint& then = g_store.onDisk;
    return now.size != then.size || now.hash != then.hash || now.time != then.time;
}

void FreeItems() {
    // Slots stay (empty) so that the kept count never indexes past the tables.
    g_store.names.assign(g_store.names.size(), {});
    g_store.descriptions.assign(g_store.descriptions.size(), {});
    g_store.texts.assign(g_store.texts.size(), {});
}

void ResetStore() {
    g_store.names.clear();
    g_store.descriptions.clear();
    g_store.texts.clear();
    g_store.itemCount = 0;
    g_store.key.clear();
    g_store.onDisk = {};
}

int ItemCount() { return g_store.itemCount; }
const std::string& CurrentKey() { return g_store.key; }

const std::string& ItemName(int i) { return i >= 0 && i < g_store.itemCount ? g_store.names[i] : kEmpty; }
const std::string& ItemDescription(int i) { return i >= 0 && i < g_store.itemCount ? g_store.descriptions[i] : kEmpty; }
const std::string& ItemText(int i) { return i >= 0 && i < g_store.itemCount ? g_store.texts[i] : kEmpty; }

int FileCount() { return g_store.fileCount; }
const std::string& FileName(int i) { return i >= 0 && i < kFileSlots ? g_store.files[i] : kEmpty; }

int FolderCount() { return static_cast<int>(g_store.folders.size()); }
const std::string& FolderName(int i) { return i >= 0 && i < FolderCount() ? g_store.folders[i] : kEmpty; }
bool AddFolder(std::string_view name) {
    if (g_store.folders.size() >= static_cast<size_t>(kMaxFolders)) return false;
    g_store.folders.emplace_back(name);
    return true;
}
void ClearFolders() { g_store.folders.clear(); }
