// qa_command.h - loctool qa: every check of every text of a project against its
// reference, for a studio's build. Returns the exit code.
#pragma once

#include <string>
#include <vector>

int QaCommand(const std::vector<std::string>& args);
