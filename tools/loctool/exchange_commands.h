// exchange_commands.h - loctool's export, import and stats commands. Each takes the
// arguments after its name and returns the exit code (0 ok, 1 a problem, 2 usage),
// printing its own help for --help.
#pragma once

#include <string>
#include <vector>

int ExportCommand(const std::vector<std::string>& args);
int ImportCommand(const std::vector<std::string>& args);
int StatsCommand(const std::vector<std::string>& args);
