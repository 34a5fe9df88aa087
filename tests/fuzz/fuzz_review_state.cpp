// fuzz_review_state.cpp - bytes to the reader of "Translation state/<language>.tsv": a
// refused file names a line it has; a read file holds sorted, distinct records with
// something to keep; writing it and reading that back gives the same records, and
// writing those gives the same bytes again.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/review/state_file.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    review::StateFile states;
    states.sourceLanguage = "before";
    review::StateFileError error;
    if (!review::ParseStateFile(bytes, states, error)) {
        size_t lines = 1;
        for (char c : bytes) lines += c == '\n';
        Check(error.line >= 1 && size_t(error.line) <= lines && !error.message.empty());
        Check(states.sourceLanguage == "before" && states.items.empty());
        // The message quotes the damaged field, cut short: it must stay UTF-8 to be shown.
        // The reader's own first line checks that, with the message as the language.
        review::StateFile shown;
        Check(
            review::ParseStateFile("zazovi translation state 1\t" + review::EscapeField(error.message), shown, error));
        return 0;
    }
    Check(!states.sourceLanguage.empty());
    for (size_t i = 0; i < states.items.size(); ++i) {
        const review::ItemReview& r = states.items[i];
        Check(review::HasAnythingToKeep(r) && !r.file.empty() && r.index >= 0);
        Check(review::FindReview(states, r.file, r.index) == &r);
        if (i > 0) {
            const review::ItemReview& p = states.items[i - 1];
            Check(p.file < r.file || (p.file == r.file && p.index < r.index));
        }
    }

    // Whatever was accepted, written out, is a canonical file: it reads back to the same
    // records and writes to the same bytes.
    const std::string canonical = review::WriteStateFile(states);
    review::StateFile again;
    Check(review::ParseStateFile(canonical, again, error));
    Check(again == states);
    Check(review::WriteStateFile(again) == canonical);
    return 0;
}
