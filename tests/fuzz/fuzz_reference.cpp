// fuzz_reference.cpp - zazovi-reference.txt files to the reference reader: the folder
// remembered is the first line of the file as it was typed (no byte order mark, no line
// end), the reference picked is always one of the project's folders, and the read-only
// view of any text holds no carriage return, tab or NUL.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/desk_reference.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string remembered = ParseReferenceFile(bytes);
    Check(remembered.find('\n') == std::string::npos);
    Check(remembered.empty() || remembered.back() != '\r');
    std::string_view body = bytes;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    Check(body.substr(0, remembered.size()) == remembered);

    const std::vector<std::string> folders = {"English", "German", remembered.empty() ? "Other" : remembered};
    const std::string picked = PickReference(folders, remembered);
    Check(picked == (remembered.empty() ? "English" : remembered));
    Check(PickReference({}, remembered).empty());
    const std::string next = NextReference(folders, picked);
    Check(next == folders[1] || next == folders[2] || next == folders[0]);

    const std::string shown = TagsAsText(bytes, "\u200A");
    Check(shown.find_first_of(std::string_view("\r\t\0", 3)) == std::string::npos);
    return 0;
}
