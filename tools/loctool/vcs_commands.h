// vcs_commands.h - loctool's commands for version control: textconv (a .loc file as text
// for git diff), merge (git's three-way merge driver, item by item) and git-setup (the
// repository's attributes, drivers and ignored files in one go).
#pragma once

#include <string>
#include <vector>

// Each returns the exit code, or -1 for a usage error (the caller prints the usage).
int TextconvCommand(const std::vector<std::string>& args);
int MergeCommand(const std::vector<std::string>& args);
int GitSetupCommand(const std::vector<std::string>& args);
