// desk_open.h - opening the editor with a .loc file ("zazovi Project/Texts/German/menu.loc",
// a file dropped on the program): the project folder it lies in, its language and file.
// No GUI: main() shows the message.
#pragma once

#include <filesystem>
#include <string>

struct OpenRequest {
    std::string project;   // the folder to work in, as given or the .loc file's project
    std::string language;  // for a .loc file: its language folder and file ("menu")
    std::string file;
};

// Reads the one command-line argument: a folder is the project itself; a .loc file
// inside Texts/<language>/ of a project names the project, the language and the file.
// A relative name is taken from `startFolder`. False, with a message naming the path,
// for a file that is no such .loc file or a .loc name that does not exist.
bool ResolveOpenArgument(const std::filesystem::path& startFolder, const std::string& argument, OpenRequest* request,
                         std::string* message);
