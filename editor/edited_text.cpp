// edited_text.cpp - maps an edit made in the text box back onto the stored bytes: a
// common head and tail of the view and the edit are copied from the stored text, the
// stretch between them from the box.
#include "editor/edited_text.h"

#include <algorithm>
#include <vector>

namespace {

std::string_view BeforeNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// The view of `stored`, and for every byte of it the index of the stored byte it shows.
std::string ViewWithOrigins(std::string_view stored, std::vector<size_t>& origin) {
    std::string view;
    origin.clear();
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r') continue;
        view.push_back(stored[i] == '\t' ? ' ' : stored[i]);
        origin.push_back(i);
    }
    return view;
}

}  // namespace

std::string TextBoxView(std::string_view stored) {
    std::vector<size_t> origin;
    return ViewWithOrigins(BeforeNul(stored), origin);
}

std::string MergeEditedText(std::string_view storedWhole, std::string_view edited) {
    const std::string_view stored = BeforeNul(storedWhole);
    std::vector<size_t> origin;
    const std::string view = ViewWithOrigins(stored, origin);
    if (view == edited) return std::string(storedWhole);

    const size_t shorter = std::min(view.size(), edited.size());
    size_t head = 0;
    while (head < shorter && view[head] == edited[head]) ++head;
    size_t tail = 0;
    while (tail < shorter - head && view[view.size() - 1 - tail] == edited[edited.size() - 1 - tail]) ++tail;

    // The head ends right after its last shown byte, so a CR that belongs to the line
    // break after it goes with that break; the tail takes back the CR of a CR LF it
    // starts with.
    const size_t headEnd = head == 0 ? 0 : origin[head - 1] + 1;
    size_t tailStart = tail == 0 ? stored.size() : origin[view.size() - tail];
    if (tail > 0 && tailStart > headEnd && stored[tailStart] == '\n' && stored[tailStart - 1] == '\r') --tailStart;

    const bool crlf = stored.find("\r\n") != std::string_view::npos;
    std::string merged(stored.substr(0, headEnd));
    for (const char c : edited.substr(head, edited.size() - tail - head)) {
        if (c == '\n' && crlf) merged.push_back('\r');
        merged.push_back(c);
    }
    merged.append(stored.substr(tailStart));
    return merged;
}
