// fuzz_word_diff.cpp - two source texts (the bytes split at the first NUL) to the word
// diff: the tokens spell each text whole, and the pieces spell the old text from Same and
// Removed, the new one from Same and Added, never two neighbours of one kind and never
// Added before Removed.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/review/word_diff.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t cut = bytes.find('\0');
    const std::string_view oldText = bytes.substr(0, cut);
    const std::string_view newText = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

    for (const std::string_view text : {oldText, newText}) {
        std::string joined;
        for (const std::string_view t : review::SplitDiffTokens(text)) {
            Check(!t.empty() && t.data() == text.data() + joined.size());
            joined += t;
        }
        Check(joined == text);
    }

    std::string oldSide, newSide;
    const auto pieces = review::WordDiff(oldText, newText);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const review::DiffPiece& p = pieces[i];
        Check(!p.text.empty());
        if (i > 0) {
            const review::DiffKind before = pieces[i - 1].kind;
            Check(p.kind != before && !(p.kind == review::DiffKind::Removed && before == review::DiffKind::Added));
        }
        if (p.kind != review::DiffKind::Added) oldSide += p.text;
        if (p.kind != review::DiffKind::Removed) newSide += p.text;
    }
    Check(oldSide == oldText && newSide == newText);
    return 0;
}
