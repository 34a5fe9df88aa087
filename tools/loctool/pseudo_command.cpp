// pseudo_command.cpp - `loctool pseudo`: every text of the reference language
// pseudo-localized (editor/fit/pseudo.h) into a new language folder, which is never one
// that is there already. Like import it holds the project's lock and writes every file of
// the folder in one journaled write (all or none, even when killed).
#include "tools/loctool/pseudo_command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "editor/fit/pseudo.h"
#include "editor/project_journal.h"
#include "formats/loc_format.h"
#include "platform/platform.h"
#include "tools/loctool/project_texts.h"

namespace fs = std::filesystem;
using loctext::Fail;
using loctext::Result;

namespace {

const char* const kPseudoHelp =
    "usage: loctool pseudo PROJECT FOLDER [--source REFLANG] [--expand PERCENT] [--wait SECONDS]\n"
    "\n"
    "Writes the new language folder PROJECT/Texts/FOLDER (never over one that is there),\n"
    "holding every file of the project with every text of the reference language (REFLANG,\n"
    "else English, else the first folder) pseudo-localized: its letters replaced by accented\n"
    "look-alikes, so a text the game shows untranslated or one written into its code stands\n"
    "out; each line lengthened by PERCENT of its characters (default 30, as translations into\n"
    "German or Finnish often are) with \"~\"; and the whole wrapped in [ ... ], inside its\n"
    "leading and trailing spaces and line breaks, so a text cut at its box's edge shows.\n"
    "Colour tags, placeholders and line breaks are kept byte for byte: loctool qa finds no\n"
    "tag, placeholder or line-break problem in the folder, and with the rooms of\n"
    "zazovi-project.ini it lists the texts that would not fit. A text is never made longer\n"
    "than the format's 32767 bytes: its lengthening is cut short first.\n"
    "Like import, pseudo holds the project's lock (zazovi.lock) while it works: while the\n"
    "editor or another loctool has the project, it refuses, naming that process, or with\n"
    "--wait waits up to SECONDS for it. The files are written all or none, even if loctool\n"
    "is killed meanwhile (through zazovi.journal in PROJECT).\n"
    "exit code: 0 ok, 1 a problem (said on stderr), 2 usage\n";

struct Options {
    std::string project, folder, source;
    int expand = fit::kPseudoExpandPercent;
    double wait = 0;
    bool help = false;
};

bool ParseNumber(const std::string& text, double low, double high, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && errno == 0 && value >= low && value <= high;
}

bool ParsePseudoOptions(const std::vector<std::string>& args, Options& o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        double value = 0;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--source" && i + 1 < args.size()) {
            o.source = args[++i];
        } else if (a == "--expand" && i + 1 < args.size()) {
            if (!ParseNumber(args[++i], 0, 1000, value) || value != double(int(value))) return false;
            o.expand = int(value);
        } else if (a == "--wait" && i + 1 < args.size()) {
            if (!ParseNumber(args[++i], 0, 1e9, o.wait)) return false;
        } else if (!a.empty() && a[0] != '-') {
            positional.push_back(a);
        } else {
            return false;
        }
    }
    if (o.help) return true;
    if (positional.size() != 2) return false;
    o.project = positional[0], o.folder = positional[1];
    return true;
}

int Report(const Result& r) {
    if (r.ok) return 0;
    std::fprintf(stderr, "loctool: %s\n", r.message.c_str());
    return 1;
}

// Why `folder` cannot be a language folder's name, or "".
std::string BadFolderName(const std::string& folder) {
    if (folder.empty() || folder == "." || folder == "..") return "is no folder name";
    if (folder[0] == '.') return "starts with '.', which the editor's scan of Texts leaves out";
    for (const char c : folder)
        if (c == '/' || c == '\\' || c == ':' || (unsigned char)c < 0x20)
            return "holds a '/', '\\', ':' or a control character";
    return {};
}

}  // namespace

int PseudoCommand(const std::vector<std::string>& args) {
    Options o;
    if (!ParsePseudoOptions(args, o)) {
        std::fputs(kPseudoHelp, stderr);
        return 2;
    }
    if (o.help) {
        std::fputs(kPseudoHelp, stdout);
        return 0;
    }
    if (const std::string why = BadFolderName(o.folder); !why.empty())
        return Report(Fail("The folder name '" + o.folder + "' " + why));

    projtexts::Project project;
    std::string reference;
    projtexts::LanguageTexts texts;
    Result r = projtexts::OpenProjectForWriting(o.project, "loctool pseudo", o.wait, project);
    if (r.ok) r = projtexts::PickReference(project, o.source, reference);
    if (r.ok) r = projtexts::LoadLanguage(project, reference, texts);
    if (!r.ok) return Report(r);
    // Never over a folder that is there, or over anything else of that name.
    const fs::path target = PlatFsPath(HostPath("Texts\\" + o.folder));
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec)))
        return Report(Fail("Texts/" + o.folder + " is there already; pseudo writes a new language folder, never " +
                           "over one (remove it, or name another)"));

    std::vector<PlatFileWrite> files;
    size_t count = 0;
    for (size_t j = 0; j < project.files.size(); ++j) {
        std::vector<std::string> pseudo;
        for (const std::string& text : texts[j]) pseudo.push_back(fit::PseudoText(text, o.expand));
        count += pseudo.size();
        PlatFileWrite& file = files.emplace_back();
        file.path = "Texts\\" + o.folder + "\\" + project.files[j] + ".loc";
        const locformat::Result encoded =
            locformat::EncodeLoc(pseudo, "Cannot write " + HostPath(file.path), file.bytes);
        if (!encoded.ok) return Report(Fail(encoded.message));
    }
    // The journal replaces files in folders that are there: the new folder is made first,
    // and taken away again, empty, when the write fails before any file is in it (or, when
    // loctool is killed meanwhile, by the next writer that undoes the write).
    fs::create_directory(target, ec);
    if (ec) return Report(Fail("Cannot make the folder Texts/" + o.folder + ": " + ec.message()));
    const StoreResult saved = ReplaceProjectFiles(files);
    if (!saved.ok) {
        fs::remove(target, ec);
        return Report(Fail(saved.message));
    }
    std::printf("%s: %zu texts of %s in %zu files, %d%% longer (Texts/%s)\n", o.folder.c_str(), count,
                reference.c_str(), files.size(), o.expand, o.folder.c_str());
    return 0;
}
