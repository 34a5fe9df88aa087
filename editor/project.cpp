// project.cpp - the start-up scan of the language folders, the verification of
// their .loc files and the backup into "Texts Backup". Paths keep the program's
// documented backslash form and are mapped to the host's by HostPath.
#include "editor/project.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "editor/text_store.h"
#include "formats/loc_format.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

ProjectState g_project;

namespace {

const std::string kEmpty;
const char* const kScanTitle = "Smeg! Smeg! SMEG! :)";
const char* const kVerifyTitle = "Smeg!";
// The backup message lists this many files at most, so it fits a message box.
constexpr size_t kListedFailures = 8;
constexpr size_t kCopyChunk = 1 << 20;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

std::string LocPath(const std::string& folder, const std::string& file) {
    return "Texts\\" + folder + "\\" + file + ".loc";
}
std::string DescPath(const std::string& file) { return "Descriptions\\" + file + ".desc"; }

ProjectMessage Fail(std::string text, const char* title) { return {false, std::move(text), title}; }

// Reads the item count at the start of a .loc file; on failure returns the
// message that names the file and the folder.
ProjectMessage ReadItemCount(const std::string& folder, const std::string& file, int16_t& count) {
    const std::string quoted = "'" + file + ".loc' in folder '" + folder + "'";
    errno = 0;
    FilePtr f(PlatOpenFile(HostPath(LocPath(folder, file)).c_str(), "rb"));
    if (!f) {
        const int err = errno;
        // A folder that is really a plain file (ENOTDIR) holds no files either.
        if (err == ENOENT || err == ENOTDIR || err == 0)
            return Fail("File '" + file + ".loc' is missing in folder '" + folder + "'.", kVerifyTitle);
        return Fail("File " + quoted + " cannot be opened: " + std::strerror(err) + ".", kVerifyTitle);
    }
    unsigned char bytes[2] = {0, 0};
    const size_t got = std::fread(bytes, 1, 2, f.get());
    if (got < 2 && std::ferror(f.get())) {
        const int err = errno;
        return Fail("File " + quoted + " cannot be read: " + std::strerror(err) + ".", kVerifyTitle);
    }
    // The editor could not load such files, so they must not pass as agreeing.
    if (got < 2)
        return Fail("File " + quoted + " is damaged: it is " + std::to_string(got) +
                        " byte(s) long, too short to hold its item count.",
                    kVerifyTitle);
    count = locformat::DecodeInt16(bytes);
    if (count < 0)
        return Fail("File " + quoted + " is damaged: its item count is negative (" + std::to_string(count) + ").",
                    kVerifyTitle);
    return {};
}

std::string ErrnoText(int err) { return err == ENOENT ? "it does not exist" : std::strerror(err); }

// Copies `from` to `to` whole, in chunks of `buffer`, writing over an older backup
// in place. The source's first chunk is read before the target is opened, so a
// source that is missing or unreadable (a folder, say) leaves the older backup as
// it was. Writing in place rather than through a renamed temporary file keeps
// the backup as fast as a plain copy (ext4 flushes every file renamed over
// another), and gives the copy fresh default permissions, so a read-only source
// never yields a backup that the next start cannot overwrite.
bool CopyForBackup(const std::string& from, const std::string& to, std::vector<char>& buffer, std::string& reason) {
    const std::string src = HostPath(from);
    const std::string dst = HostPath(to);
    errno = 0;
    FilePtr in(PlatOpenFile(src.c_str(), "rb"));
    if (!in) {
        reason = ErrnoText(errno);
        return false;
    }
    size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
    if (std::ferror(in.get())) {
        reason = std::strerror(errno);
        return false;
    }
    std::error_code ec;
    fs::create_directories(PlatFsPath(dst).parent_path(), ec);
    if (ec) {
        reason = "cannot create the folder for " + dst + ": " + ec.message();
        return false;
    }
    FilePtr out(PlatOpenFile(dst.c_str(), "wb"));
    if (!out) {
        reason = "cannot write " + dst + ": " + std::strerror(errno);
        return false;
    }
    for (; got > 0; got = std::fread(buffer.data(), 1, buffer.size(), in.get()))
        if (std::fwrite(buffer.data(), 1, got, out.get()) != got) {
            reason = "cannot write " + dst + ": " + std::strerror(errno) + "; this backup copy is incomplete";
            return false;
        }
    if (std::ferror(in.get())) {
        reason = std::string(std::strerror(errno)) + "; the backup copy " + dst + " is incomplete";
        return false;
    }
    if (std::fclose(out.release()) != 0) {
        reason = "cannot write " + dst + ": " + std::strerror(errno) + "; this backup copy is incomplete";
        return false;
    }
    return true;
}

}  // namespace

namespace {

// The name as upper-cased UTF-16 units. A byte that does not start a valid UTF-8
// sequence stands for its Latin-1 letter (names written by older Linux programs).
std::u16string SortKey(const std::string& name) {
    std::u16string key;
    key.reserve(name.size());
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const auto* end = p + name.size();
    while (p < end) {
        char32_t c = *p;
        const int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        bool valid = extra > 0 && end - p > extra;
        for (int i = 1; valid && i <= extra; ++i) valid = (p[i] & 0xC0) == 0x80;
        if (valid) {
            c &= 0x3F >> extra;
            for (int i = 1; i <= extra; ++i) c = (c << 6) | (p[i] & 0x3F);
            p += extra;
        }
        ++p;
        c = UpperCase(c);
        if (c >= 0x10000) {  // a pair of surrogates, which sort as NTFS sorts them
            key.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            key.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            key.push_back(static_cast<char16_t>(c));
        }
    }
    return key;
}

}  // namespace

bool FolderNameLess(const std::string& a, const std::string& b) {
    const std::u16string ka = SortKey(a), kb = SortKey(b);
    if (ka != kb) return ka < kb;
    return a < b;  // names alike but for case (or encoding) still have one fixed order
}

ProjectMessage ScanLanguageFolders() {
    g_project.folders.clear();
    ClearFolders();
    std::error_code ec;
    for (fs::directory_iterator it(PlatFsPath(HostPath("Texts\\")), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = PlatPathString(it->path().filename());
        if (name.empty() || name[0] == '.') continue;
        g_project.folders.push_back(std::move(name));
    }
    // The enumeration's order differs between file systems (on Linux it follows a hash
    // of each name); the order by name is the same wherever the project is opened.
    std::sort(g_project.folders.begin(), g_project.folders.end(), FolderNameLess);
    // The store's table has a fixed size; what does not fit is still in
    // g_project.folders and is verified and backed up all the same.
    for (const std::string& name : g_project.folders)
        if (!AddFolder(name)) break;
    if (g_project.folders.empty()) return Fail("No Folders found in /.../Texts/", kScanTitle);
    return {};
}

int LanguageFolderCount() { return static_cast<int>(g_project.folders.size()); }

const std::string& LanguageFolder(int i) { return i >= 0 && i < LanguageFolderCount() ? g_project.folders[i] : kEmpty; }

ProjectMessage VerifyLanguageFiles() {
    const std::vector<std::string>& folders = g_project.folders;
    const int files = FileCount();
    // counts[f * files + j]: item count of file j in folder f.
    std::vector<int16_t> counts(folders.size() * files, 0);

    // Existence first, so a missing file is reported even when a count differs too.
    for (size_t f = 0; f < folders.size(); ++f)
        for (int j = 0; j < files; ++j) {
            ProjectMessage m = ReadItemCount(folders[f], FileName(j), counts[f * files + j]);
            if (!m.ok) return m;
        }

    // The first folder by name is the reference for all others.
    for (int j = 0; j < files; ++j)
        for (size_t f = 1; f < folders.size(); ++f) {
            const int count = counts[f * files + j];
            const int first = counts[j];
            if (count != first)
                return Fail("A bogus file found: '" + FileName(j) + ".loc' in folder '" + folders[f] + "', having " +
                                std::to_string(count) + " items where first has " + std::to_string(first),
                            kVerifyTitle);
        }
    return {};
}

std::vector<BackupFailure> BackupTexts(const BackupProgress& progress) {
    std::vector<BackupFailure> failures;
    const int folders = LanguageFolderCount();
    const int files = FileCount();
    const float total = static_cast<float>((folders + 1) * files);
    std::string reason;
    // One buffer for every copy; files larger than it are copied in several chunks.
    std::vector<char> buffer(kCopyChunk);

    auto copy = [&](const std::string& from, const std::string& to, int done) {
        if (!CopyForBackup(from, to, buffer, reason)) failures.push_back({HostPath(from), reason});
        if (progress) progress(static_cast<float>(done) / total);
    };
    for (int f = 0; f < folders; ++f)
        for (int j = 0; j < files; ++j) {
            const std::string& folder = g_project.folders[f];
            copy(LocPath(folder, FileName(j)), "Texts Backup\\" + folder + "\\" + FileName(j) + ".loc",
                 f * files + j + 1);
        }
    for (int j = 0; j < files; ++j)
        copy(DescPath(FileName(j)), "Texts Backup\\Descriptions\\" + FileName(j) + ".desc", folders * files + j + 1);
    return failures;
}

ProjectMessage BackupFailureMessage(const std::vector<BackupFailure>& failures) {
    if (failures.empty()) return {};
    std::string text = "The backup in 'Texts Backup' is incomplete: " + std::to_string(failures.size()) +
                       " file(s) could not be copied.";
    for (size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
        text += "\n" + failures[i].path + ": " + failures[i].reason;
    if (failures.size() > kListedFailures)
        text += "\n... and " + std::to_string(failures.size() - kListedFailures) + " more.";
    return Fail(std::move(text), "Backup");
}
