// memory_commands.h - loctool's suggest and glossary-candidates commands. Each takes
// the arguments after its name and returns the exit code (0 ok, 1 a problem, 2 usage),
// printing its own help for --help.
#pragma once

#include <string>
#include <vector>

int SuggestCommand(const std::vector<std::string>& args);
int GlossaryCandidatesCommand(const std::vector<std::string>& args);
