// files.cpp - the one place where the program touches files: UTF-8 paths (through the
// wide calls on Windows), whole-file reads, atomic replacement through a flushed
// temporary file, and creation that never writes over an existing file. Shared by
// every backend and by the tools, which need no window: standard library and C runtime only.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "platform/platform.h"

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Pushes the written bytes past the C library and the OS cache, so that a rename
// that follows never exposes a file whose contents are still in flight.
bool FlushToDisk(FILE* f) {
    if (std::fflush(f) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// The rename is only a change of the folder: until the folder itself reaches the disk
// a power cut can bring the old file back. Windows has no call for a folder and keeps
// its metadata in the journal, so there the rename is as far as it goes.
void FlushFolderOf(const fs::path& file) {
#if !defined(_WIN32)
    const fs::path parent = file.parent_path();
    const int fd = open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    (void)fsync(fd);  // some file systems refuse it for folders; the file itself is on disk already
    close(fd);
#else
    (void)file;
#endif
}

// Writes, flushes and closes `path`; on failure removes it and says why.
bool WriteFlushed(const std::string& path, std::string_view bytes, std::string* why) {
    FilePtr f(PlatOpenFile(path.c_str(), "wb"));
    if (!f) {
        if (why) *why = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() && FlushToDisk(f.get());
    const int writeErr = errno;
    const bool closed = std::fclose(f.release()) == 0;
    if (written && closed) return true;
    const int err = !written ? writeErr : errno;
    std::error_code ec;
    fs::remove(PlatFsPath(path), ec);
    if (why) *why = "writing " + path + " failed: " + std::strerror(err);
    return false;
}

}  // namespace

#if defined(_WIN32)
namespace {
bool Utf8ToPath(const std::string& utf8, fs::path& out) {
    try {
        out = fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
}  // namespace

fs::path PlatFsPath(const std::string& utf8Path) {
    fs::path path;
    return Utf8ToPath(utf8Path, path) ? path : fs::path(utf8Path);  // not UTF-8: an ANSI name
}

std::string PlatPathString(const fs::path& path) {
    try {
        const std::u8string utf8 = path.u8string();
        return std::string(utf8.begin(), utf8.end());
    } catch (const std::exception&) {
        return {};  // a name with no UTF-8 form (a lone surrogate) names nothing we can open
    }
}

FILE* PlatOpenFile(const char* utf8Path, const char* mode) {
    if (!utf8Path || !mode) return nullptr;
    fs::path path;
    // Not UTF-8 at all: a name in the ANSI code page, which the narrow call understands.
    if (!Utf8ToPath(utf8Path, path)) return std::fopen(utf8Path, mode);
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
}
#else
// POSIX file names are bytes; UTF-8 ones open as they are.
fs::path PlatFsPath(const std::string& utf8Path) { return fs::path(utf8Path); }
std::string PlatPathString(const fs::path& path) { return path.string(); }
FILE* PlatOpenFile(const char* utf8Path, const char* mode) { return std::fopen(utf8Path, mode); }
#endif

bool PlatReadFile(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    std::error_code ec;
    // A folder opens for reading on POSIX and only its first read fails, with a less clear
    // word; a FIFO would wait for a writer for ever and a device may never end. Only a
    // regular file (or a link to one) is read; a missing one is left to the open below.
    const fs::file_status st = fs::status(PlatFsPath(path), ec);
    if (fs::is_directory(st)) {
        if (error) *error = "Cannot read " + path + ": it is a folder";
        return false;
    }
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        if (error) *error = "Cannot read " + path + ": it is not a regular file (a pipe, a device or a socket)";
        return false;
    }
    FilePtr f(PlatOpenFile(path.c_str(), "rb"));
    if (!f) {
        if (error) *error = "Cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    char chunk[64 * 1024];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) bytes.append(chunk, n);
    if (!std::ferror(f.get())) return true;
    if (error) *error = "Cannot read " + path + ": " + std::strerror(errno);
    return false;
}

// Writes `bytes` to "<path>.tmp" beside the target, flushes it to disk, gives it the
// old file's permissions and renames it over the target. On any failure the target
// is untouched and the temporary file is gone.
bool PlatReplaceFile(const std::string& path, std::string_view bytes, std::string* why) {
    const std::string tmp = path + ".tmp";
    const auto fail = [&](const std::string& reason) {
        std::error_code ignored;
        fs::remove(PlatFsPath(tmp), ignored);
        if (why) *why = reason;
        return false;
    };
    std::error_code ec;
    // Replacing goes through a new file, which the folder's rights allow even over a
    // read-only one; but read-only means "do not change", so it is refused here, as
    // Windows refuses to rename over it.
    const fs::file_status old = fs::status(PlatFsPath(path), ec);
    const bool hadFile = !ec && fs::is_regular_file(old);
    if (hadFile && (old.permissions() & fs::perms::owner_write) == fs::perms::none) {
        if (why) *why = "the file is read-only";
        return false;
    }
    if (!WriteFlushed(tmp, bytes, why)) return false;
    if (hadFile) {
        fs::permissions(PlatFsPath(tmp), old.permissions(), fs::perm_options::replace, ec);
        if (ec) return fail("cannot give " + tmp + " the old file's permissions: " + ec.message());
    }
    fs::rename(PlatFsPath(tmp), PlatFsPath(path), ec);
    if (ec) return fail("cannot replace it with " + tmp + ": " + ec.message());
    FlushFolderOf(PlatFsPath(path));
    return true;
}

// A hard link of a finished temporary file fails instead of replacing, so even a file
// made at the same moment by someone else is safe. Where links are not possible (FAT)
// the file is renamed after a last look.
bool PlatCreateNewFile(const std::string& path, std::string_view bytes) {
    const fs::path target = PlatFsPath(path);
    std::error_code ec;
    if (fs::exists(target, ec) || ec) return false;
        // Private to this process: two programs creating the same file at once must not
        // write into each other's temporary file.
#if defined(_WIN32)
    const std::string tmp = path + "." + std::to_string(_getpid()) + ".tmp";
#else
    const std::string tmp = path + "." + std::to_string(getpid()) + ".tmp";
#endif
    if (!WriteFlushed(tmp, bytes, nullptr)) return false;
    fs::create_hard_link(PlatFsPath(tmp), target, ec);
    bool placed = !ec;
    if (ec && !fs::exists(target)) {
        fs::rename(PlatFsPath(tmp), target, ec);
        placed = !ec;
    }
    fs::remove(PlatFsPath(tmp), ec);
    if (placed) FlushFolderOf(target);
    return placed;
}
