// pseudo_command.h - loctool pseudo: a new language folder of pseudo-localized texts
// (editor/fit/pseudo.h), written into the project under its lock and through its
// journal, for a team to find the screens whose texts cannot grow. Returns the exit code.
#pragma once

#include <string>
#include <vector>

int PseudoCommand(const std::vector<std::string>& args);
