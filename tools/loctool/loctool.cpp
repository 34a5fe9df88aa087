// loctool.cpp - command-line companion of the editor: dumps .loc / .desc files to
// a readable UTF-8 text form, packs that form back byte for byte, and checks a
// project's language folders the way the editor does at start-up; the other commands
// (exchange, qa, translation memory) live in files of their own.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "editor/project.h"
#include "editor/project_journal.h"
#include "platform/platform.h"
#include "tools/loctool/exchange_commands.h"
#include "tools/loctool/font_coverage.h"
#include "tools/loctool/loc_text.h"
#include "tools/loctool/memory_commands.h"
#include "tools/loctool/pseudo_command.h"
#include "tools/loctool/qa_command.h"
#include "tools/loctool/vcs_commands.h"

namespace fs = std::filesystem;
using loctext::Item;
using loctext::Result;

namespace {

const char* const kUsage =
    "usage:\n"
    "  loctool dump <file.loc> [<file.desc>]        texts (with names and descriptions) as text\n"
    "  loctool dump --desc <file.desc>              names and descriptions alone as text\n"
    "  loctool pack <in.txt> <out.loc> [<out.desc>] the text form back into the files\n"
    "  loctool pack --desc <in.txt> <out.desc>      names and descriptions alone\n"
    "  loctool check <project folder>               the editor's start-up verification\n"
    "  loctool check --font <font.dsf> <project>    and the characters each language uses that the font lacks\n"
    "  loctool export --format po|xliff|csv PROJECT LANGUAGE [--source REFLANG] [-o FILE]\n"
    "  loctool import PROJECT LANGUAGE FILE [--format po|xliff|csv] [--wait SECONDS]\n"
    "  loctool stats PROJECT [--source REFLANG] [--format table|json]\n"
    "  loctool qa PROJECT [--spell] [--format text|json] [--source REFLANG]\n"
    "  loctool pseudo PROJECT FOLDER [--source REFLANG] [--expand PERCENT]\n"
    "                                               a new language folder of pseudo-translations\n"
    "  loctool suggest PROJECT LANGUAGE FILE INDEX [--source REFLANG] [--format text|json]\n"
    "                                               translations from the memory for one item\n"
    "  loctool glossary-candidates PROJECT [--source REFLANG]\n"
    "                                               item names worth a glossary entry, as CSV\n"
    "  loctool textconv [--project PROJECT] FILE.loc  the file as text for git diff, item by item\n"
    "  loctool merge BASE OURS THEIRS PATH          git's merge driver for .loc files (%O %A %B %P)\n"
    "  loctool git-setup [PROJECT]                  git's attributes, drivers and ignored files\n"
    "                                               (loctool COMMAND --help says more)\n"
    "  loctool --version | --help\n"
    "exit code: 0 ok, 1 a problem (check prints it, the others say it on stderr), 2 usage\n";

Result ReadFile(const std::string& path, std::string& bytes) {
    Result r;
    r.ok = PlatReadFile(path, bytes, &r.message);
    return r;
}

// Through the platform's atomic replace, so a failed pack leaves an older file as it was.
Result WriteFile(const std::string& path, const std::string& bytes) {
    Result r;
    if (!(r.ok = PlatReplaceFile(path, bytes, &r.message))) r.message = "Cannot write " + path + ": " + r.message;
    return r;
}

int Report(const Result& r) {
    if (r.ok) return 0;
    std::fprintf(stderr, "loctool: %s\n", r.message.c_str());
    return 1;
}

int Dump(const std::vector<std::string>& args) {
    std::vector<Item> items;
    std::string bytes, header;
    Result r;
    if (args[0] == "--desc") {
        if (args.size() != 2) return -1;
        if (!(r = ReadFile(args[1], bytes)).ok) return Report(r);
        if (!(r = loctext::ParseDesc(bytes, args[1], true, items)).ok) return Report(r);
        header = PlatPathString(PlatFsPath(args[1]).filename());
    } else {
        if (args.size() > 2) return -1;
        if (!(r = ReadFile(args[0], bytes)).ok) return Report(r);
        if (!(r = loctext::ParseLoc(bytes, args[0], items)).ok) return Report(r);
        header = PlatPathString(PlatFsPath(args[0]).filename());
        if (args.size() == 2) {
            if (!(r = ReadFile(args[1], bytes)).ok) return Report(r);
            if (!(r = loctext::ParseDesc(bytes, args[1], false, items)).ok) return Report(r);
            header += " with " + PlatPathString(PlatFsPath(args[1]).filename());
        }
    }
    const std::string text = loctext::DumpText(items, header + ": " + std::to_string(items.size()) + " items");
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        return Report(loctext::Fail(std::string("Cannot write the dump: ") + std::strerror(errno)));
    return 0;
}

int Pack(const std::vector<std::string>& args) {
    const bool descOnly = args[0] == "--desc";
    const size_t first = descOnly ? 1 : 0;
    if (descOnly ? args.size() != 3 : args.size() < 2 || args.size() > 3) return -1;
    const std::string& source = args[first];
    const std::string locPath = descOnly ? std::string() : args[1];
    const std::string descPath = descOnly ? args[2] : args.size() == 3 ? args[2] : std::string();

    std::string text, loc, desc;
    std::vector<Item> items;
    Result r;
    if (!(r = ReadFile(source, text)).ok) return Report(r);
    if (!(r = loctext::ParseText(text, source, items)).ok) return Report(r);
    if (!(r = loctext::RequireFields(items, source, !descOnly, !descPath.empty())).ok) return Report(r);
    // Both outputs are encoded before either is written: no half-packed pair.
    if (!descOnly && !(r = loctext::EncodeLoc(items, locPath, loc)).ok) return Report(r);
    if (!descPath.empty() && !(r = loctext::EncodeDesc(items, descPath, desc)).ok) return Report(r);
    if (!descOnly && !(r = WriteFile(locPath, loc)).ok) return Report(r);
    if (!descPath.empty() && !(r = WriteFile(descPath, desc)).ok) return Report(r);
    return 0;
}

int Check(const std::vector<std::string>& args) {
    const bool withFont = !args.empty() && args[0] == "--font";
    if (args.size() != (withFont ? 3u : 1u)) return -1;
    // The font path is taken whole before entering the project, where a relative
    // one would no longer lead to it.
    std::error_code ec;
    const std::string fontPath = withFont ? PlatPathString(fs::absolute(PlatFsPath(args[1]), ec)) : std::string();
    const std::string& project = args.back();
    fs::current_path(PlatFsPath(project), ec);
    if (ec) return Report(loctext::Fail("Cannot enter the project folder " + project + ": " + ec.message()));
    if (const std::string warning = InterruptedWriteWarning(); !warning.empty())
        std::fprintf(stderr, "loctool: warning: %s\n", warning.c_str());
    ProjectMessage m = ScanLanguageFolders();
    if (m.ok) m = VerifyLanguageFiles();
    if (!m.ok) {
        std::printf("%s\n", m.text.c_str());
        return 1;
    }
    if (withFont && CheckFontCoverage(fontPath) != 0) return 1;
    std::printf("OK\n");
    return 0;
}

}  // namespace

int main() {
    // Arguments as typed, in UTF-8 on every system, and output readable on Windows'
    // console too.
    PlatUseUtf8Console();
    std::vector<std::string> argv = PlatCommandLine();
    const size_t argc = argv.size();
    if (argc == 2 && argv[1] == "--version") {
        std::printf("loctool %s\n", QK_VERSION);
        return 0;
    }
    if (argc == 2 && (argv[1] == "--help" || argv[1] == "-h")) {
        std::printf("loctool %s\n", QK_VERSION);
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 3 && !(argc == 2 && argv[1] == "git-setup")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv.begin() + 2, argv.end());
    int code = -1;
    if (command == "dump")
        code = Dump(args);
    else if (command == "pack")
        code = Pack(args);
    else if (command == "check")
        code = Check(args);
    else if (command == "export")
        code = ExportCommand(args);
    else if (command == "import")
        code = ImportCommand(args);
    else if (command == "stats")
        code = StatsCommand(args);
    else if (command == "qa")
        code = QaCommand(args);
    else if (command == "pseudo")
        code = PseudoCommand(args);
    else if (command == "suggest")
        code = SuggestCommand(args);
    else if (command == "glossary-candidates")
        code = GlossaryCandidatesCommand(args);
    else if (command == "textconv")
        code = TextconvCommand(args);
    else if (command == "merge")
        code = MergeCommand(args);
    else if (command == "git-setup")
        code = GitSetupCommand(args);
    if (code < 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return code;
}
