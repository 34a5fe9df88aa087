// vcs_commands.cpp - textconv, merge and git-setup. Git runs the first two itself, on
// temporary copies of the files, from the top of the work tree; so textconv finds item
// names through the project that git-setup wrote into its command line, and merge finds
// the project (where the conflict file goes) from the file's place in the work tree.
#include "tools/loctool/vcs_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "editor/conflict/conflict_file.h"
#include "editor/conflict/loc_merge.h"
#include "editor/project_journal.h"
#include "editor/project_lock.h"
#include "formats/loc_format.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDriver = "zazovi-loc";
constexpr const char* kMergeProgram = "loctool merge";

int Fail(const std::string& message) {
    std::fprintf(stderr, "loctool: %s\n", message.c_str());
    return 1;
}

bool IsProject(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder / "Texts", ec);
}

// ---- textconv ----

// The item names of `file` ("menu") from the project's Descriptions, as many as it holds.
std::vector<std::string> ReadNames(const fs::path& project, const std::string& file) {
    std::string bytes;
    if (project.empty() || !PlatReadFile(PlatPathString(project / "Descriptions" / (file + ".desc")), bytes, nullptr))
        return {};
    locformat::Descriptions desc;
    if (!locformat::ParseDesc(bytes, file, locformat::kUntilEnd, locformat::Trailing::Ignore, desc).ok) return {};
    return desc.names;
}

// Git hands textconv a copy named "XXXXXX_menu.loc" (six random characters, then the
// file's own name); a file of the work tree keeps its name.
std::string FileStem(const fs::path& path, const fs::path& project) {
    std::string stem = PlatPathString(path.stem());
    std::error_code ec;
    const bool known = !project.empty() && fs::exists(project / "Descriptions" / (stem + ".desc"), ec);
    if (!known && stem.size() > 7 && stem[6] == '_' &&
        std::all_of(stem.begin(), stem.begin() + 6, [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        stem.erase(0, 7);
    return stem;
}

fs::path ProjectAround(fs::path folder) {
    std::error_code ec;
    folder = fs::absolute(folder, ec);
    for (; !folder.empty(); folder = folder.parent_path()) {
        if (IsProject(folder)) return folder;
        if (folder == folder.parent_path()) break;
    }
    return {};
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : conflict::EscapeText(text)) {
        if (c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Reads records as far as they go; `why` says where it stopped, empty when the whole file
// was read.
std::vector<std::string> ReadLenient(std::string_view bytes, std::string& why, int& count) {
    std::vector<std::string> texts;
    count = -1;
    if (bytes.size() < 2) return why = "the file is too short to hold an item count", texts;
    count = locformat::DecodeInt16(reinterpret_cast<const unsigned char*>(bytes.data()));
    if (count < 0) return why = "the item count is negative (" + std::to_string(count) + ")", texts;
    size_t at = 2;
    for (int i = 0; i < count; ++i) {
        if (bytes.size() - at < 2) return why = "the file ends before item " + std::to_string(i), texts;
        const int length = locformat::DecodeInt16(reinterpret_cast<const unsigned char*>(bytes.data() + at));
        at += 2;
        if (length < 0)
            return why = "item " + std::to_string(i) + " has a negative length (" + std::to_string(length) + ")", texts;
        if (bytes.size() - at < size_t(length)) return why = "the file ends inside item " + std::to_string(i), texts;
        texts.emplace_back(bytes.substr(at, size_t(length)));
        at += size_t(length);
    }
    if (at != bytes.size()) why = std::to_string(bytes.size() - at) + " bytes after the last item";
    return texts;
}

// ---- merge ----

struct Place {
    fs::path project;
    std::string language, file;
};

// PATH is "<project>/Texts/<language>/<file>.loc", relative to the top of the work tree.
bool PlaceOf(const std::string& path, Place& place) {
    std::error_code ec;
    const fs::path full = fs::absolute(PlatFsPath(path), ec);
    const fs::path languageFolder = full.parent_path(), texts = languageFolder.parent_path();
    if (ec || PlatPathString(texts.filename()) != "Texts") return false;
    place = {texts.parent_path(), PlatPathString(languageFolder.filename()), PlatPathString(full.stem())};
    return true;
}

// Writes the conflicts into the project's conflict file through its journal, holding its
// lock, beside those an earlier merge left unsettled.
std::string WriteConflicts(const Place& place, const conflict::Conflicts& fresh) {
    std::error_code ec;
    const fs::path back = fs::current_path(ec);
    fs::current_path(place.project, ec);
    if (ec) return "cannot enter the project folder " + PlatPathString(place.project) + ": " + ec.message();
    std::string why;
    LockOwner owner;
    if (!TakeProjectLock(owner, kMergeProgram)) {
        why = "the project is " + LockHolderText(owner) + "; close it there and merge again";
    } else {
        if (const std::string done = FinishInterruptedWrite(); !done.empty())
            std::fprintf(stderr, "loctool: %s\n", done.c_str());
        const std::string path = conflict::ConflictFilePath(place.language, place.file);
        conflict::Conflicts all;
        std::string bytes;
        if (fs::exists(PlatFsPath(HostPath(path)), ec)) {
            if (!PlatReadFile(HostPath(path), bytes, &why)) {
            } else if (!conflict::ParseConflictFile(bytes, all, why)) {
                why = HostPath(path) + " is damaged (" + why + "); mend or remove it and merge again";
            }
        }
        if (why.empty()) {
            conflict::MergeConflicts(all, fresh);
            fs::create_directories(PlatFsPath(HostPath(path)).parent_path(), ec);
            const StoreResult r = ReplaceProjectFiles({{path, conflict::WriteConflictFile(all)}});
            if (!r.ok) why = r.message;
        }
        ReleaseProjectLock();
    }
    fs::current_path(back, ec);
    return why;
}

std::string IndexList(const conflict::Conflicts& conflicts) {
    std::string list;
    for (size_t k = 0; k < conflicts.size() && k < 10; ++k)
        list += (k ? ", " : "") + std::to_string(conflicts[k].index);
    return conflicts.size() > 10 ? list + ", ..." : list;
}

// ---- git-setup ----

// A value for git's configuration that git gives to the shell: quoted for it.
std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (const char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int Git(const fs::path& folder, const std::vector<std::string>& args, std::string* output, std::string& why) {
    std::vector<std::string> argv = {"git"};
    argv.insert(argv.end(), args.begin(), args.end());
    return PlatRunProgram(argv, PlatPathString(folder), output, &why);
}

// Adds the lines of `wanted` that `path` lacks (compared without blanks at the ends);
// the ones added, empty when it had them all.
std::vector<std::string> AddLines(const fs::path& path, const std::vector<std::string>& wanted, std::string& why) {
    std::string bytes;
    std::error_code ec;
    if (fs::exists(path, ec) && !PlatReadFile(PlatPathString(path), bytes, &why)) return {};
    std::vector<std::string> have;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        const size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
        have.push_back(first == std::string::npos ? std::string() : line.substr(first, last - first + 1));
    }
    std::vector<std::string> added;
    for (const std::string& line : wanted)
        if (std::find(have.begin(), have.end(), line) == have.end()) added.push_back(line);
    if (added.empty()) return added;
    if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
    for (const std::string& line : added) bytes += line + "\n";
    if (!PlatReplaceFile(PlatPathString(path), bytes, &why)) return {};
    return added;
}

// loctool's own path, whole: graphical git clients run the drivers without the user's
// PATH. The folder is the system's word; the name is the one started (".exe" on Windows).
std::string ThisProgram() {
    const std::string folder = PlatProgramFolder();
    const std::vector<std::string> line = PlatCommandLine();
    if (folder.empty() || line.empty()) return {};
    fs::path program = PlatFsPath(folder) / PlatFsPath(line[0]).filename();
    std::error_code ec;
    if (!fs::is_regular_file(program, ec)) program += ".exe";
    return fs::is_regular_file(program, ec) ? PlatPathString(program) : std::string();
}

}  // namespace

int TextconvCommand(const std::vector<std::string>& args) {
    std::string projectArg, path;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h")
            return -1;
        else if (args[i] == "--project" && i + 1 < args.size())
            projectArg = args[++i];
        else if (path.empty())
            path = args[i];
        else
            return -1;
    }
    if (path.empty()) return -1;
    // Git shows whatever this prints, so every trouble is said in the output and the
    // exit code stays 0: a failing textconv would stop git diff and git log -p whole.
    const fs::path file = PlatFsPath(path);
    fs::path project = projectArg.empty() ? fs::path() : PlatFsPath(projectArg);
    if (project.empty() || !IsProject(project)) project = ProjectAround(file.parent_path());
    const std::string stem = FileStem(file, project);
    const std::vector<std::string> names = ReadNames(project, stem);
    std::string bytes, why;
    int count = -1;
    std::vector<std::string> texts;
    if (PlatReadFile(path, bytes, &why)) texts = ReadLenient(bytes, why, count);
    std::string out = "# " + stem + ".loc: " + (count >= 0 ? std::to_string(count) + " items" : "unreadable") +
                      (names.empty() ? ", no names (no project)" : "") + "\n";
    for (size_t i = 0; i < texts.size(); ++i) {
        out += "[" + std::to_string(i) + "]";
        if (i < names.size() && !names[i].empty()) out += " " + conflict::EscapeText(names[i]);
        out += " = " + Quote(texts[i]) + "\n";
    }
    if (!why.empty()) out += "# cannot read further: " + why + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return 0;
}

int MergeCommand(const std::vector<std::string>& args) {
    if (args.size() != 4) return -1;
    const std::string& ours = args[1];
    const std::string& where = args[3];
    std::vector<std::string> sides[3];
    const char* const sideNames[3] = {"the base", "ours", "theirs"};
    for (int s = 0; s < 3; ++s) {
        std::string bytes, why;
        if (!PlatReadFile(args[size_t(s)], bytes, &why)) return Fail("merge " + where + ": " + why);
        const locformat::Result r = locformat::ParseLoc(bytes, std::string(sideNames[s]) + " of " + where,
                                                        locformat::Trailing::Refuse, sides[s]);
        if (!r.ok) return Fail("merge refused, ours is left as it was: " + r.message);
    }
    Place place;
    const bool placed = PlaceOf(where, place);
    conflict::MergeResult merged = conflict::MergeTexts(sides[0], sides[1], sides[2],
                                                        placed ? place.file : PlatPathString(PlatFsPath(where).stem()));
    if (!merged.ok) return Fail("merge of " + where + " refused, ours is left as it was: " + merged.message);
    std::string encoded;
    if (const locformat::Result r = locformat::EncodeLoc(merged.merged, where, encoded); !r.ok)
        return Fail("merge of " + where + " refused, ours is left as it was: " + r.message);
    const std::string conflictPath =
        placed ? PlatPathString(place.project / HostPath(conflict::ConflictFilePath(place.language, place.file))) : "";
    if (!merged.conflicts.empty()) {
        // Ours must not take the merged texts unless both versions of every conflicting
        // item are kept somewhere.
        if (!placed)
            return Fail("merge of " + where + ": " + std::to_string(merged.conflicts.size()) +
                        " items conflict, and the file is not in a project's Texts/<language>/ folder where the "
                        "conflict file could go; ours is left as it was");
        if (const std::string why = WriteConflicts(place, merged.conflicts); !why.empty())
            return Fail("merge of " + where + ": cannot write the conflict file: " + why + "; ours is left as it was");
    }
    std::string why;
    if (!PlatReplaceFile(ours, encoded, &why)) return Fail("merge of " + where + ": cannot write " + ours + ": " + why);
    if (merged.conflicts.empty()) return 0;
    const size_t n = merged.conflicts.size();
    std::fprintf(stderr,
                 "loctool: %s: %zu %s changed differently on both sides (%s %s) %s our text; both versions are in "
                 "%s. Open the file in the editor to settle them.\n",
                 where.c_str(), n, n == 1 ? "item" : "items", n == 1 ? "index" : "indices",
                 IndexList(merged.conflicts).c_str(), n == 1 ? "keeps" : "keep", conflictPath.c_str());
    return 1;
}

int GitSetupCommand(const std::vector<std::string>& args) {
    if (args.size() > 1) return -1;
    std::error_code ec;
    fs::path project = fs::absolute(PlatFsPath(args.empty() ? "." : args[0]), ec).lexically_normal();
    if (project.filename().empty()) project = project.parent_path();  // "proj/" and "." end in a separator
    if (ec || !IsProject(project)) return Fail(PlatPathString(project) + " is not a project folder (it has no Texts)");
    std::string why, top;
    if (Git(project, {"rev-parse", "--show-toplevel"}, &top, why) != 0)
        return Fail(why.empty() ? PlatPathString(project) + " is not in a git repository: run git init there first"
                                : why);
    const std::string loctool = ThisProgram();
    if (loctool.empty()) return Fail("cannot tell where loctool itself is");
    const std::string driver = kDriver;
    const std::pair<std::string, std::string> settings[] = {
        {"diff." + driver + ".textconv",
         ShellQuote(loctool) + " textconv --project " + ShellQuote(PlatPathString(project))},
        {"merge." + driver + ".name", "zazovi .loc files, item by item"},
        {"merge." + driver + ".driver", ShellQuote(loctool) + " merge %O %A %B %P"},
    };
    int changes = 0;
    const auto say = [&](const std::string& file, const std::vector<std::string>& added) {
        for (const std::string& line : added) std::printf("%s: added %s\n", file.c_str(), line.c_str());
        changes += int(added.size());
    };
    say(".gitattributes",
        AddLines(project / ".gitattributes", {"*.loc -text diff=" + driver + " merge=" + driver}, why));
    if (!why.empty()) return Fail(why);
    say(".gitignore", AddLines(project / ".gitignore",
                               {"zazovi.lock", "zazovi.cfg", "zazovi-reference.txt", "zazovi.journal", "/Texts Backup/",
                                "*.recovered*"},
                               why));
    if (!why.empty()) return Fail(why);
    for (const auto& [key, value] : settings) {
        std::string current;
        const int got = Git(project, {"config", "--local", "--get", key}, &current, why);
        if (got < 0) return Fail(why);
        while (!current.empty() && (current.back() == '\n' || current.back() == '\r')) current.pop_back();
        if (got == 0 && current == value) continue;
        if (Git(project, {"config", "--local", key, value}, nullptr, why) != 0)
            return Fail("git config " + key + " failed" + (why.empty() ? "" : ": " + why));
        std::printf("git config %s: %s\n", key.c_str(), value.c_str());
        ++changes;
    }
    if (changes == 0)
        std::printf("Already set up: nothing changed.\n");
    else
        std::printf("Set up: git diff shows .loc files item by item and git merge merges them item by item.\n");
    return 0;
}
