// text_store.cpp - reads and writes the .loc / .desc formats and keeps the
// item tables of the loaded file. Files are read whole and parsed from memory,
// and written whole to a temporary file that replaces the old one when complete.
#include "editor/text_store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

TextStore g_store;

namespace {

const std::string kEmpty;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

std::string LocPath(const std::string& key) { return "Texts\\" + key + ".loc"; }
std::string DescPath(const std::string& file) { return "Descriptions\\" + file + ".desc"; }

// The one place where data files are opened: the documented path is mapped to
// the host's form here and nowhere else.
FilePtr OpenDataFile(const std::string& path, const char* mode) { return FilePtr(OpenHostFile(HostPath(path), mode)); }

StoreResult Fail(const std::string& message) { return {false, message}; }

std::string ErrnoText(int err) { return std::strerror(err); }

// Pushes the written bytes past the C library and the OS cache, so that a
// rename that follows never exposes a file whose contents are still in flight.
bool FlushToDisk(FILE* f) {
    if (std::fflush(f) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

StoreResult ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FilePtr f = OpenDataFile(path, "rb");
    if (!f) {
        const int err = errno;
        return Fail("Cannot open " + HostPath(path) + ": " + ErrnoText(err));
    }
    char chunk[64 * 1024];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) bytes.append(chunk, n);
    if (std::ferror(f.get())) {
        const int err = errno;
        return Fail("Cannot read " + HostPath(path) + ": " + ErrnoText(err));
    }
    return {};
}

// Bounds-checked little-endian reader over a file held in memory.
struct ByteReader {
    std::string_view data;
    size_t pos = 0;

    bool ReadInt16(int16_t& value) {
        if (data.size() - pos < 2) return false;
        const auto lo = static_cast<uint8_t>(data[pos]);
        const auto hi = static_cast<uint8_t>(data[pos + 1]);
        value = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
        pos += 2;
        return true;
    }
};

// Reads one record (16-bit signed length, then that many bytes) into `out`.
// `what` names the record in the message, e.g. "the text of item 3".
StoreResult ReadRecord(ByteReader& in, const std::string& file, const std::string& what, std::string& out) {
    const size_t at = in.pos;
    int16_t length = 0;
    if (!in.ReadInt16(length))
        return Fail(file + " is cut short: it ends at byte " + std::to_string(in.data.size()) +
                    " before the length of " + what);
    if (length < 0)
        return Fail(file + " is damaged: " + what + " has the negative length " + std::to_string(length) +
                    " (at byte " + std::to_string(at) + ")");
    const auto size = static_cast<size_t>(length);
    if (in.data.size() - in.pos < size)
        return Fail(file + " is cut short: " + what + " needs " + std::to_string(size) + " bytes from byte " +
                    std::to_string(in.pos) + " but the file ends at byte " + std::to_string(in.data.size()));
    out.assign(in.data.substr(in.pos, size));
    in.pos += size;
    return {};
}

void PutInt16(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

StoreResult EncodeLoc(const std::string& file, std::string& bytes) {
    size_t total = 2;
    for (int i = 0; i < g_store.itemCount; ++i) {
        // Whole, as read: a NUL byte inside a text is part of it.
        const size_t length = g_store.texts[i].size();
        if (length > static_cast<size_t>(kMaxTextBytes))
            return Fail("Cannot save " + file + ": the text of item " + std::to_string(i) + " is " +
                        std::to_string(length) + " bytes long, and a .loc text holds at most " +
                        std::to_string(kMaxTextBytes));
        total += 2 + length;
    }
    bytes.clear();
    bytes.reserve(total);
    PutInt16(bytes, g_store.itemCount);
    for (int i = 0; i < g_store.itemCount; ++i) {
        PutInt16(bytes, static_cast<int>(g_store.texts[i].size()));
        bytes.append(g_store.texts[i]);
    }
    return {};
}

// The rename is only a change of the folder: until the folder itself reaches the disk
// a power cut can bring the old file back. Windows has no call for a folder and
// keeps its metadata in the journal, so there the rename is as far as it goes.
void FlushFolderOf(const std::string& hostPath) {
#if !defined(_WIN32)
    const fs::path parent = fs::path(hostPath).parent_path();
    const int fd = open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    (void)fsync(fd);  // some file systems refuse it for folders; the file itself is on disk already
    close(fd);
#else
    (void)hostPath;
#endif
}

DiskFingerprint FingerprintOf(const std::string& path, const std::string& bytes) {
    DiskFingerprint print;
    std::error_code ec;
    print.time = fs::last_write_time(HostFsPath(HostPath(path)), ec);
    print.size = bytes.size();
    print.hash = std::hash<std::string_view>{}(bytes);
    print.known = true;
    return print;
}

}  // namespace

// Writes `bytes` to "<path>.tmp" beside the target, flushes it to disk, gives
// it the old file's permissions and renames it over the target. On any failure
// the target is untouched and the temporary file is gone.
StoreResult ReplaceFile(const std::string& path, const std::string& bytes) {
    const std::string tmpPath = path + ".tmp";
    const std::string target = HostPath(path);
    const std::string tmp = HostPath(tmpPath);
    std::error_code ec;

    // Replacing goes through a new file, which the folder's rights allow even over a
    // read-only one; but read-only means "do not change", so it is refused here, as
    // Windows refuses to rename over it.
    const fs::file_status current = fs::status(HostFsPath(target), ec);
    if (!ec && fs::is_regular_file(current) && (current.permissions() & fs::perms::owner_write) == fs::perms::none)
        return Fail("Cannot save " + target + ": the file is read-only");

    FilePtr f = OpenDataFile(tmpPath, "wb");
    if (!f) {
        const int err = errno;
        return Fail("Cannot save " + target + ": cannot create " + tmp + ": " + ErrnoText(err));
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() && FlushToDisk(f.get());
    const int writeErr = errno;
    const bool closed = std::fclose(f.release()) == 0;
    if (!written || !closed) {
        const int err = !written ? writeErr : errno;
        fs::remove(HostFsPath(tmp), ec);
        return Fail("Cannot save " + target + ": writing " + tmp + " failed: " + ErrnoText(err));
    }

    const fs::file_status old = fs::status(HostFsPath(target), ec);
    if (!ec && fs::is_regular_file(old)) {
        fs::permissions(HostFsPath(tmp), old.permissions(), fs::perm_options::replace, ec);
        if (ec) {
            const std::string why = ec.message();
            fs::remove(HostFsPath(tmp), ec);
            return Fail("Cannot save " + target + ": cannot give " + tmp + " the old file's permissions: " + why);
        }
    }

    fs::rename(HostFsPath(tmp), HostFsPath(target), ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(HostFsPath(tmp), ec);
        return Fail("Cannot save " + target + ": cannot replace it with " + tmp + ": " + why);
    }
    FlushFolderOf(target);
    return {};
}

std::string HostPath(const std::string& path) {
    std::string host = path;
    for (char& c : host)
        if (c == '\\') c = static_cast<char>(fs::path::preferred_separator);
    return host;
}

#ifdef _WIN32
fs::path HostFsPath(const std::string& hostPath) {
    try {
        return fs::path(std::u8string(reinterpret_cast<const char8_t*>(hostPath.data()), hostPath.size()));
    } catch (const std::exception&) {
        return fs::path(hostPath);  // not UTF-8: let the ANSI code page have its say
    }
}

std::string HostPathString(const fs::path& path) {
    try {
        const std::u8string utf8 = path.u8string();
        return std::string(utf8.begin(), utf8.end());
    } catch (const std::exception&) {
        return {};  // a name with no UTF-8 form (a lone surrogate) names nothing we can open
    }
}

FILE* OpenHostFile(const std::string& hostPath, const char* mode) {
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(HostFsPath(hostPath).c_str(), wideMode.c_str());
}
#else
fs::path HostFsPath(const std::string& hostPath) { return fs::path(hostPath); }
std::string HostPathString(const fs::path& path) { return path.string(); }
FILE* OpenHostFile(const std::string& hostPath, const char* mode) { return std::fopen(hostPath.c_str(), mode); }
#endif

StoreResult ReadTexts(const std::string& key) {
    ResetStore();
    const std::string path = LocPath(key);
    const std::string file = HostPath(path);
    std::string bytes;
    StoreResult r = ReadWholeFile(path, bytes);
    if (!r.ok) return r;

    ByteReader in{bytes};
    int16_t count = 0;
    if (!in.ReadInt16(count))
        return Fail(file + " is cut short: it holds only " + std::to_string(bytes.size()) +
                    " of the 2 bytes of the item count");
    if (count < 0) return Fail(file + " is damaged: its item count is negative (" + std::to_string(count) + ")");

    std::vector<std::string> texts(count);
    for (int i = 0; i < count; ++i) {
        r = ReadRecord(in, file, "the text of item " + std::to_string(i), texts[i]);
        if (!r.ok) return r;
    }
    // Bytes after the last record are ignored, as the format's reader always did.
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
    const std::string file = HostPath(path);
    const int count = g_store.itemCount;

    std::string bytes;
    StoreResult r = ReadWholeFile(path, bytes);
    std::vector<std::string> names(count), descriptions(count);
    ByteReader in{bytes};
    for (int i = 0; r.ok && i < count; ++i) {
        r = ReadRecord(in, file, "the name of item " + std::to_string(i), names[i]);
        if (r.ok) r = ReadRecord(in, file, "the description of item " + std::to_string(i), descriptions[i]);
    }
    if (!r.ok) {
        // Texts without their names cannot be edited sensibly; unload them all
        // so that no later save acts on a half-loaded file.
        ResetStore();
        return r;
    }
    g_store.names = std::move(names);
    g_store.descriptions = std::move(descriptions);
    return {};
}

bool SetItemText(int i, std::string_view text) {
    if (i < 0 || i >= g_store.itemCount) return false;
    g_store.texts[i].assign(text);
    return true;
}

StoreResult SaveCurrentFile() {
    if (g_store.key.empty()) return {};
    const std::string path = LocPath(g_store.key);
    std::string bytes;
    StoreResult r = EncodeLoc(HostPath(path), bytes);
    if (!r.ok) return r;
    r = ReplaceFile(path, bytes);
    if (r.ok) g_store.onDisk = FingerprintOf(path, bytes);
    return r;
}

bool LoadedFileChangedOnDisk() {
    if (g_store.key.empty() || !g_store.onDisk.known) return false;
    const std::string path = LocPath(g_store.key);
    std::string bytes;
    if (!ReadWholeFile(path, bytes).ok) return false;
    const DiskFingerprint now = FingerprintOf(path, bytes);
    const DiskFingerprint& then = g_store.onDisk;
    return now.size != then.size || now.hash != then.hash || now.time != then.time;
}

namespace {

// Puts `bytes` at `target` only if nothing is there: a hard link of a finished
// temporary file fails instead of replacing, so even a file made at the same moment
// by someone else is safe. Where links are not possible (FAT) the file is renamed
// after a last look.
bool PlaceWithoutReplacing(const fs::path& target, const std::string& bytes) {
    std::error_code ec;
    if (fs::exists(target, ec) || ec) return false;
    const std::string tmp = HostPathString(target) + ".tmp";
    FilePtr f(OpenHostFile(tmp, "wb"));
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() && FlushToDisk(f.get());
    if (std::fclose(f.release()) != 0 || !written) {
        fs::remove(HostFsPath(tmp), ec);
        return false;
    }
    fs::create_hard_link(HostFsPath(tmp), target, ec);
    bool placed = !ec;
    if (ec && !fs::exists(target)) {
        fs::rename(HostFsPath(tmp), target, ec);
        placed = !ec;
    }
    fs::remove(HostFsPath(tmp), ec);
    if (placed) FlushFolderOf(HostPathString(target));
    return placed;
}

bool PlaceNumbered(const fs::path& first, const std::string& bytes, std::string& path) {
    for (int n = 1; n <= 99; ++n) {
        fs::path candidate = first;
        if (n > 1) candidate += std::to_string(n);
        if (PlaceWithoutReplacing(candidate, bytes)) {
            std::error_code ec;
            const fs::path full = fs::absolute(candidate, ec);
            path = HostPathString(ec ? candidate : full);
            return true;
        }
        std::error_code ec;
        if (!fs::exists(candidate, ec)) return false;  // the folder refuses new files
    }
    return false;
}

}  // namespace

StoreResult WriteRecoveryFile(std::string& path) {
    path.clear();
    if (g_store.key.empty()) return Fail("Nothing is loaded, so there is nothing to recover");
    const std::string loc = HostPath(LocPath(g_store.key));
    std::string bytes;
    StoreResult r = EncodeLoc(loc, bytes);
    if (!r.ok) return r;
    if (PlaceNumbered(HostFsPath(loc + ".recovered"), bytes, path)) return {};
    // The language folder takes no new file (read-only, full): the user's temporary
    // folder, under a name that still says which language and file it holds.
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    std::string flat = g_store.key;
    for (char& c : flat)
        if (c == '\\') c = '-';
    if (!ec && PlaceNumbered(temp / HostFsPath("zazovi-" + flat + ".loc.recovered"), bytes, path)) return {};
    return Fail("Cannot write a recovery file for " + loc + " beside it or in the temporary folder");
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
