// fuzz_edited_text.cpp - an edit of the text box mapped back onto the stored bytes: an
// unchanged view gives the stored bytes back, the result shows exactly what the box
// held, and a text stored with CR LF throughout stays so, two bytes per line break.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/edited_text.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// What a text box can hold: no carriage return, tab or NUL.
std::string AsBoxText(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\0') break;
        if (c != '\r') out.push_back(c == '\t' ? ' ' : c);
    }
    return out;
}

size_t Count(std::string_view s, char c) {
    size_t n = 0;
    for (char b : s) n += b == c;
    return n;
}

// Every line feed after a carriage return and no other carriage return.
bool AllCrLf(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return false;
        if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte says where the stored text ends and the edit begins.
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = std::min<size_t>(all.size(), data[0] * all.size() / 255);
    const std::string_view stored = all.substr(0, split);
    const std::string edited = AsBoxText(all.substr(split));

    const std::string view = TextBoxView(stored);
    Check(MergeEditedText(stored, view) == stored);

    const std::string merged = MergeEditedText(stored, edited);
    Check(TextBoxView(merged) == edited);
    if (stored.find('\0') == std::string_view::npos && stored.find('\t') == std::string_view::npos &&
        Count(stored, '\n') > 0 && AllCrLf(stored)) {
        Check(AllCrLf(merged));
        Check(merged.size() == edited.size() + Count(edited, '\n'));
    }
    return 0;
}
