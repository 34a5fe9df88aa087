// exchange_commands.h - loctool's export, import and stats commands. Each takes the
// arguments after its name and returns the exit code (0 ok, 1 a problem, 2 usage),
// printing its own help for --help.
#pragma once

#include <string>
#include <vector>

#include "tools/loctool/project_texts.h"

int ExportCommand(const std::vector<std::string>& args);
int ImportCommand(const std::vector<std::string>& args);
int StatsCommand(const std::vector<std::string>& args);

// The exchange file of `language` (format "po", "xliff" or "csv") against `reference`.
loctext::Result ExportLanguage(const projtexts::Project& project, const std::string& language,
                               const std::string& reference, const std::string& format, std::string& bytes);
// Reads `path` and, when all of it is valid, saves the changed files of `language`;
// `report` then says how many items changed. On failure the message lists the
// problems, one a line, and no file was written.
loctext::Result ImportLanguage(const projtexts::Project& project, const std::string& language, const std::string& path,
                               const std::string& format, std::string& report);
