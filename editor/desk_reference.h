// desk_reference.h - the reference language: the folder whose texts the translator
// reads beside the one being edited. Which folder it is (remembered in
// zazovi-reference.txt beside zazovi.cfg), its texts of the loaded file, and how a text
// is shown read-only with its colour tags as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/text_store.h"

// The file that remembers the reference: its first line is the folder name (UTF-8), as
// listed under Texts; anything after that line is ignored.
constexpr const char* kReferenceFile = "zazovi-reference.txt";

// The reference among `folders`: `remembered` when it is one of them, else "English"
// when there is one, else the first folder; empty when there are no folders.
std::string PickReference(const std::vector<std::string>& folders, const std::string& remembered);
// The folder after `current` in `folders`, wrapping (the first when current is none).
std::string NextReference(const std::vector<std::string>& folders, const std::string& current);

// The folder name the file's bytes remember (the first line, less the CRs and the UTF-8
// byte order mark an editor may have added); empty for none.
std::string ParseReferenceFile(std::string_view bytes);
// The remembered folder; none when there is no file. A file that cannot be read (a
// folder, a pipe or a device in its place) remembers none either, and `problem` says why.
std::string ReadRememberedReference(std::string* problem = nullptr);
StoreResult RememberReference(const std::string& folder);

// The texts of `file` ("menu") of language `folder`, read as the editor reads a .loc,
// without touching the loaded file. On failure `texts` is empty.
StoreResult ReadReferenceTexts(const std::string& folder, const std::string& file, std::vector<std::string>& texts);

// `text` as the read-only view shows it: what the text box would show (no CR, tabs as
// spaces, nothing after a NUL) with `breaker` put after the '<' of each colour tag, so
// the font prints the tag instead of applying it.
std::string TagsAsText(std::string_view text, std::string_view breaker);
