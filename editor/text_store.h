// text_store.h - the editor's item tables: the names, descriptions and texts of the
// one loaded .loc / .desc pair, the file list and the folder table. Files go through
// formats/loc_format and the platform's file calls: no engine, no GUI.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

constexpr int kFileSlots = 16;
constexpr int kMaxFolders = 512;

// Outcome of a store operation that touches the disk; `message` says which
// file and why when `ok` is false, and is empty otherwise.
struct StoreResult {
    bool ok = true;
    std::string message;
};

// What the loaded .loc file looked like on disk when it was read or last written, so
// that a save can tell whether another program (another editor) wrote it meanwhile.
struct DiskFingerprint {
    bool known = false;
    uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    size_t hash = 0;  // of the whole file's bytes
};

struct TextStore {
    // Parallel tables: entry i of each belongs to item i. They always hold
    // `itemCount` entries.
    std::vector<std::string> names;
    std::vector<std::string> descriptions;
    std::vector<std::string> texts;
    int16_t itemCount = 0;
    std::string key;  // "Folder\file" of the loaded file; empty = nothing loaded
    DiskFingerprint onDisk;

    // Only the first `fileCount` names take part in anything; the rest are
    // kept because the list has always had these slots.
    std::array<std::string, kFileSlots> files = {"menu", "game", "keyboard", "tutorial01", "tutorial02", "tutorial03"};
    int16_t fileCount = 3;

    std::vector<std::string> folders;  // language folders, at most kMaxFolders
};

extern TextStore g_store;

// Maps the documented '\' separator of data paths to the host's.
std::string HostPath(const std::string& path);
// Host paths are UTF-8; platform.h's PlatOpenFile, PlatFsPath and PlatPathString take them.

// Loads "Texts\<key>.loc". On failure the store is left empty with an empty key.
StoreResult ReadTexts(const std::string& key);
// Loads names and descriptions from "Descriptions\<file>.desc" for the item
// count of the loaded .loc. On failure the store is left empty with an empty key.
StoreResult ReadDescriptions();
// Replaces the text of item i; false (and nothing changed) if i is out of range.
bool SetItemText(int i, std::string_view text);
// Writes the loaded file back to "Texts\<key>.loc" through a temporary file, so
// the old file is replaced only by a complete new one. Empty key: writes nothing.
StoreResult SaveCurrentFile(const std::vector<PlatFileWrite>& alongside = {});
// True when the loaded file on disk is no longer the one this store read or last
// wrote: its size, time or content differ. A file that is gone or cannot be read is
// not "changed": saving over it then overwrites nobody's work.
bool LoadedFileChangedOnDisk();
// Writes `bytes` to `path` (documented form) through PlatReplaceFile: the old file is
// replaced only by a complete new one, even across a power cut.
StoreResult ReplaceFile(const std::string& path, const std::string& bytes);
// Empties every item's strings; the count and the key stay as they are.
void FreeItems();
// Back to the start-up state: no items, count 0, empty key.
void ResetStore();

int ItemCount();
const std::string& CurrentKey();
// Item accessors return an empty string for an index out of range.
const std::string& ItemName(int i);
const std::string& ItemDescription(int i);
const std::string& ItemText(int i);

int FileCount();
const std::string& FileName(int i);  // empty for an index out of range

int FolderCount();
const std::string& FolderName(int i);  // empty for an index out of range
// Appends a folder name; false when the table already holds kMaxFolders names.
bool AddFolder(std::string_view name);
void ClearFolders();
