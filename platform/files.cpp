// files.cpp - the one place where the program touches files: UTF-8 paths (through the
// wide calls on Windows), whole-file reads, temporary files that no one else can share
// or redirect, atomic replacement of one file and of several at once (through a journal
// that the next writer finishes or undoes), and creation that never writes over an
// existing file. Shared by every backend and by the tools, which need no window:
// standard library and C runtime only.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/platform.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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
void FlushFolder(const fs::path& folder) {
#if !defined(_WIN32)
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    (void)fsync(fd);  // some file systems refuse it for folders; the file itself is on disk already
    close(fd);
#else
    (void)folder;
#endif
}

void FlushFolderOf(const fs::path& file) { FlushFolder(file.parent_path()); }

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

// ---- temporary files of our own -------------------------------------------------------

namespace {

// Whether anything, a link included, has the name; a failure to look counts as taken.
bool NameTaken(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

// Tests end the process right after step n of a journaled write (QK_TEST_STOP_AFTER=n),
// so that every point a kill can reach is seen to be recovered, without timing a kill.
void TestStopAfter(int step) {
    const char* stop = std::getenv("QK_TEST_STOP_AFTER");
    if (stop && std::atoi(stop) == step) std::_Exit(kPlatTestStopExitCode);
}

// Opens a new file for writing only where nothing has that name, not even a link (a
// planted one would take our bytes elsewhere). `mode`: the rights to give it exactly,
// whatever the umask says (POSIX; Windows has only the read-only flag, and read-only
// targets are refused before). Null with errno set when it cannot be made.
FILE* CreateExclusive(const std::string& path, const fs::perms* mode) {
#if defined(_WIN32)
    (void)mode;
    int fd = -1;
    // _O_EXCL with _O_CREAT is CreateFile's CREATE_NEW: any existing name, a link
    // included, makes it fail.
    if (_wsopen_s(&fd, PlatFsPath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                  _S_IREAD | _S_IWRITE) != 0)
        return nullptr;
    FILE* f = _fdopen(fd, "wb");
    if (!f) _close(fd);
    return f;
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    FILE* f = nullptr;
    if (!mode || fchmod(fd, static_cast<mode_t>(*mode & fs::perms::mask)) == 0) f = fdopen(fd, "wb");
    if (!f) {
        const int err = errno;
        close(fd);
        unlink(path.c_str());
        errno = err;
    }
    return f;
#endif
}

// Creates `path` exclusively holding `bytes`, flushed to disk and closed; on failure
// removes it (when it was ours) and says why.
bool WriteNewFile(const std::string& path, std::string_view bytes, const fs::perms* mode, std::string* why) {
    FilePtr f(CreateExclusive(path, mode));
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

// A fresh temporary file of our own for `target` holding `bytes`; `tmp` is its name.
bool WriteTemporary(const std::string& target, std::string_view bytes, const fs::perms* mode, std::string& tmp,
                    std::string* why) {
    // Another name only when the random one is taken, which someone guessing it cannot make
    // us write through: the creation itself refuses.
    for (int attempt = 0; attempt < 4; ++attempt) {
        tmp = PlatTemporaryName(target);
        if (WriteNewFile(tmp, bytes, mode, why)) return true;
        if (!NameTaken(PlatFsPath(tmp))) return false;
    }
    return false;
}

// Whether `path` may be replaced (a missing file may be made), and the rights its
// replacement gets (`had`: there is a file whose rights to keep). Replacing goes through
// a new file, which the folder's rights allow even over a read-only one; but read-only
// means "do not change", so it is refused here, as Windows refuses to rename over it.
bool CheckReplaceable(const std::string& path, fs::perms& mode, bool& had, std::string* why) {
    std::error_code ec;
    const fs::file_status old = fs::status(PlatFsPath(path), ec);
    had = !ec && fs::is_regular_file(old);
    mode = had ? old.permissions() & fs::perms::mask : fs::perms::none;
    // A folder (or a device) there could not be renamed over: said now, before any file
    // of a several-file write is replaced.
    if (!ec && fs::exists(old) && !had) {
        if (why) *why = "it is not a file";
        return false;
    }
    if (had && (mode & fs::perms::owner_write) == fs::perms::none) {
        if (why) *why = "the file is read-only";
        return false;
    }
    return true;
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::string PlatTemporaryName(const std::string& target) {
    // random_device alone may be a fixed sequence on some C runtimes; the clock and a
    // count keep two names of one process apart even then. The exclusive creation, not
    // the name, is what makes the file ours. Made on first use: a program that never
    // writes never opens the system's random source.
    static std::random_device device;
    static uint32_t count = 0;
    const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const uint32_t random = device() ^ static_cast<uint32_t>(now ^ (now >> 32)) ^ (++count * 0x9E3779B9u);
    char part[32];
    std::snprintf(part, sizeof part, ".%lu-%08lx.tmp", static_cast<unsigned long>(PlatProcessId()),
                  static_cast<unsigned long>(random));
    return target + part;
}

bool PlatParseTemporaryName(const std::string& name, std::string* target, uint32_t* pid) {
    constexpr size_t kHex = 8;
    const std::string tail = ".tmp";
    if (name.size() < tail.size() + kHex + 4 || name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const size_t hexStart = name.size() - tail.size() - kHex;
    if (name[hexStart - 1] != '-') return false;
    for (size_t i = hexStart; i < hexStart + kHex; ++i)
        if (!IsHex(name[i])) return false;
    const size_t dot = name.rfind('.', hexStart - 2);
    if (dot == std::string::npos || dot == 0 || dot + 1 >= hexStart - 1 || hexStart - 2 - dot > 10)
        return false;  // 1 to 10 digits
    uint64_t id = 0;
    for (size_t i = dot + 1; i < hexStart - 1; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        id = id * 10 + static_cast<uint64_t>(name[i] - '0');
    }
    if (id == 0 || id > 0xFFFFFFFFu) return false;
    if (target) *target = name.substr(0, dot);
    if (pid) *pid = static_cast<uint32_t>(id);
    return true;
}

// ---- replacing one file ---------------------------------------------------------------

bool PlatReplaceFile(const std::string& path, std::string_view bytes, std::string* why) {
    fs::perms mode;
    bool had = false;
    if (!CheckReplaceable(path, mode, had, why)) return false;
    std::string tmp;
    if (!WriteTemporary(path, bytes, had ? &mode : nullptr, tmp, why)) return false;
    std::error_code ec;
    fs::rename(PlatFsPath(tmp), PlatFsPath(path), ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(PlatFsPath(tmp), ignored);
        if (why) *why = "cannot replace it with " + tmp + ": " + ec.message();
        return false;
    }
    FlushFolderOf(PlatFsPath(path));
    return true;
}

// A hard link of a finished temporary file fails instead of replacing, so even a file
// made at the same moment by someone else is safe. Where links are not possible (FAT)
// the file is renamed after a last look.
bool PlatCreateNewFile(const std::string& path, std::string_view bytes) {
    const fs::path target = PlatFsPath(path);
    std::error_code ec;
    if (NameTaken(target)) return false;
    std::string tmp;
    if (!WriteTemporary(path, bytes, nullptr, tmp, nullptr)) return false;
    fs::create_hard_link(PlatFsPath(tmp), target, ec);
    bool placed = !ec;
    if (ec && !NameTaken(target)) {
        fs::rename(PlatFsPath(tmp), target, ec);
        placed = !ec;
    }
    fs::remove(PlatFsPath(tmp), ec);
    if (placed) FlushFolderOf(target);
    return placed;
}

// ---- replacing several files: all or none, through a journal ---------------------------

namespace {

constexpr const char* kArrow = " -> ";
constexpr const char* kEndLine = "end";

// A journal names its files relative to its own folder, with '/' (which Windows reads
// too), so a project moved or opened from the other system still finishes its write.
bool JournalName(const fs::path& journalFolder, const std::string& path, std::string& name) {
    fs::path p = PlatFsPath(path);
    if (!journalFolder.empty()) p = p.lexically_relative(journalFolder);
    p = p.lexically_normal();
    name = PlatPathString(p);
#if defined(_WIN32)
    for (char& c : name)
        if (c == '\\') c = '/';
#endif
    return !name.empty() && !p.has_root_path() && *p.begin() != ".." && name.find_first_of("\r\n") == std::string::npos;
}

struct JournalEntry {
    std::string tmp, target;  // as the journal names them
};

// "TEMPORARY -> TARGET" where TEMPORARY is our temporary name for TARGET, inside the
// journal's folder: a line naming anything else is not acted on.
bool ParseJournalLine(const std::string& line, JournalEntry& entry) {
    for (size_t at = line.find(kArrow); at != std::string::npos; at = line.find(kArrow, at + 1)) {
        const std::string tmp = line.substr(0, at), target = line.substr(at + std::strlen(kArrow));
        std::string named;
        if (!PlatParseTemporaryName(tmp, &named, nullptr) || named != target) continue;
        const fs::path p(target);
        if (p.is_absolute() || p.has_root_name() || p.has_root_directory()) return false;
        for (const fs::path& part : p)
            if (part == "..") return false;
        entry = {tmp, target};
        return true;
    }
    return false;
}

void RemoveTemporaries(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::error_code ec;
        fs::remove(PlatFsPath(path), ec);
    }
}

}  // namespace

bool PlatReplaceFiles(const std::string& journal, const std::vector<PlatFileWrite>& files, std::string* why) {
    const auto fail = [&](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    if (files.empty()) return true;
    const fs::path folder = PlatFsPath(journal).parent_path();
    // Every target is checked before anything is written, so a refusal changes nothing.
    std::vector<std::string> tmps;
    std::vector<fs::perms> modes(files.size());
    std::vector<bool> had(files.size());
    std::string lines;
    for (size_t i = 0; i < files.size(); ++i) {
        std::string reason, tmpName, targetName;
        bool hadFile = false;
        if (!CheckReplaceable(files[i].path, modes[i], hadFile, &reason)) return fail(files[i].path + ": " + reason);
        had[i] = hadFile;
        tmps.push_back(PlatTemporaryName(files[i].path));
        if (!JournalName(folder, tmps.back(), tmpName) || !JournalName(folder, files[i].path, targetName))
            return fail(files[i].path + " is not inside the folder of " + journal);
        lines += tmpName + kArrow + targetName + "\n";
    }
    // The journal comes first, so a write killed at any point leaves a journal naming
    // every temporary file it may have made, or none at all.
    FilePtr j(CreateExclusive(journal, nullptr));
    if (!j) {
        if (errno == EEXIST)
            return fail(journal + " is there: an earlier write into the project was interrupted and has not been " +
                        "finished or undone yet");
        return fail("cannot create " + journal + ": " + std::strerror(errno));
    }
    const auto undo = [&](const std::string& reason) {
        j.reset();
        RemoveTemporaries(tmps);
        std::error_code ec;
        fs::remove(PlatFsPath(journal), ec);
        return fail(reason);
    };
    if (std::fputs(lines.c_str(), j.get()) < 0 || !FlushToDisk(j.get()))
        return undo("writing " + journal + " failed: " + std::strerror(errno));
    FlushFolderOf(PlatFsPath(journal));
    TestStopAfter(1);
    for (size_t i = 0; i < files.size(); ++i) {
        std::string reason;
        if (!WriteNewFile(tmps[i], files[i].bytes, had[i] ? &modes[i] : nullptr, &reason)) return undo(reason);
        TestStopAfter(2 + static_cast<int>(i));
    }
    // From the end line on, the write is as good as made: whatever happens next, the
    // renames are finished, by this process or by the next one that takes the project.
    if (std::fputs(kEndLine, j.get()) < 0 || std::fputc('\n', j.get()) == EOF || !FlushToDisk(j.get()))
        return undo("writing " + journal + " failed: " + std::strerror(errno));
    j.reset();
    const int count = static_cast<int>(files.size());
    TestStopAfter(count + 2);
    std::set<fs::path> folders;
    for (size_t i = 0; i < files.size(); ++i) {
        std::error_code ec;
        fs::rename(PlatFsPath(tmps[i]), PlatFsPath(files[i].path), ec);
        if (ec)
            return fail("cannot replace " + files[i].path + " with " + tmps[i] + ": " + ec.message() + "; " + journal +
                        " keeps the rest of this write, which is finished when the project is next taken");
        folders.insert(PlatFsPath(files[i].path).parent_path());
        TestStopAfter(count + 3 + static_cast<int>(i));
    }
    for (const fs::path& f : folders) FlushFolder(f);
    std::error_code ec;
    fs::remove(PlatFsPath(journal), ec);
    FlushFolderOf(PlatFsPath(journal));
    TestStopAfter(2 * count + 3);
    return true;
}

PlatJournalReport PlatFinishJournal(const std::string& journal) {
    PlatJournalReport report;
    std::error_code ec;
    const fs::path journalPath = PlatFsPath(journal);
    const fs::file_status st = fs::symlink_status(journalPath, ec);
    if (ec || !fs::exists(st)) return report;
    report.found = true;
    if (!fs::is_regular_file(st)) {
        report.problem = journal + " is not a file; remove it once no program writes into the project";
        return report;
    }
    std::string bytes;
    if (!PlatReadFile(journal, bytes, &report.problem)) return report;
    // Complete only with every line whole and the end line last: anything short of that
    // was cut off before the renames began, and is undone.
    std::vector<JournalEntry> entries;
    bool complete = !bytes.empty() && bytes.back() == '\n';
    bool ended = false;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        const bool whole = end != std::string::npos;
        if (!whole) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (ended) complete = false;  // something after the end line
        if (line == kEndLine && whole) {
            ended = true;
            continue;
        }
        JournalEntry entry;
        if (ParseJournalLine(line, entry))
            entries.push_back(entry);
        else
            complete = false;
    }
    report.complete = complete && ended;
    const fs::path folder = journalPath.parent_path();
    std::set<fs::path> folders;
    for (const JournalEntry& e : entries) {
        const fs::path tmp = folder / PlatFsPath(e.tmp), target = folder / PlatFsPath(e.target);
        report.targets.push_back(e.target);
        const fs::file_status tmpStatus = fs::symlink_status(tmp, ec);
        if (!fs::exists(tmpStatus)) continue;  // renamed already, or never made
        if (!fs::is_regular_file(tmpStatus)) {
            report.problem = PlatPathString(tmp) + " is not a file this program made; it was left alone";
            continue;
        }
        if (report.complete) {
            fs::rename(tmp, target, ec);
            if (ec) report.problem = "cannot replace " + PlatPathString(target) + ": " + ec.message();
            folders.insert(target.parent_path());
        } else {
            fs::remove(tmp, ec);
        }
    }
    for (const fs::path& f : folders) FlushFolder(f);
    if (report.problem.empty()) {
        fs::remove(journalPath, ec);
        FlushFolderOf(journalPath);
    }
    return report;
}
