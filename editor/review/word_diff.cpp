// word_diff.cpp - tokens by a small table of Unicode ranges (enough to tell words from
// spaces, punctuation and the scripts written without spaces), then Myers' O(ND) diff
// over token numbers after the common start and end are set aside.
#include "editor/review/word_diff.h"

#include <unordered_map>

#include "editor/qa/qa_checks.h"
#include "render/text_markup.h"

namespace review {
namespace {

// Beyond this many token edits the texts have little in common and a word diff would be
// noise; the cap also bounds the diff's memory (about 4 bytes x edits^2 / 2).
constexpr int kMaxEdits = 2000;

enum class CharClass : uint8_t {
    Word,   // letters and digits of scripts that put spaces between words
    Space,  // spaces and tabs
    Alone,  // a token of its own: CJK, kana, hangul, Thai
    Mark,   // combining marks and joiners, which belong to the character before them
    Other,  // punctuation, symbols, controls, line feeds
};

struct Range {
    char32_t first, last;
};

bool InRanges(char32_t c, std::initializer_list<Range> ranges) {
    for (const Range& r : ranges)
        if (c >= r.first && c <= r.last) return true;
    return false;
}

CharClass Classify(char32_t c) {
    if (c < 0x80) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return CharClass::Word;
        return c == ' ' || c == '\t' ? CharClass::Space : CharClass::Other;
    }
    if (InRanges(
            c,
            {{0xA0, 0xA0}, {0x1680, 0x1680}, {0x2000, 0x200A}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000}}))
        return CharClass::Space;
    // Thai's vowel signs above and below and its tone marks sit on the consonant before.
    if (InRanges(c, {{0x0300, 0x036F},
                     {0x0E31, 0x0E31},
                     {0x0E34, 0x0E3A},
                     {0x0E47, 0x0E4E},
                     {0x1160, 0x11FF},
                     {0x1AB0, 0x1AFF},
                     {0x1DC0, 0x1DFF},
                     {0x200C, 0x200D},
                     {0x20D0, 0x20FF},
                     {0x3099, 0x309A},
                     {0xFE00, 0xFE0F},
                     {0xFE20, 0xFE2F},
                     {0xE0100, 0xE01EF}}))
        return CharClass::Mark;
    if (InRanges(c, {{0x0E00, 0x0E7F},
                     {0x1100, 0x115F},
                     {0x2E80, 0x2FDF},
                     {0x3005, 0x3007},
                     {0x3021, 0x3029},
                     {0x3040, 0x30FF},
                     {0x3100, 0x31FF},
                     {0x3200, 0x4DBF},
                     {0x4E00, 0x9FFF},
                     {0xA960, 0xA97F},
                     {0xAC00, 0xD7FF},
                     {0xF900, 0xFAFF},
                     {0xFF66, 0xFFDC},
                     {0x20000, 0x3FFFF}}))
        return CharClass::Alone;
    if (InRanges(c, {{0xA1, 0xA9},      {0xAB, 0xB1},     {0xB4, 0xB4},     {0xB6, 0xB8},     {0xBB, 0xBB},
                     {0xBF, 0xBF},      {0xD7, 0xD7},     {0xF7, 0xF7},     {0x037E, 0x037E}, {0x0387, 0x0387},
                     {0x055A, 0x055F},  {0x0589, 0x058A}, {0x060C, 0x060C}, {0x061B, 0x061F}, {0x066A, 0x066D},
                     {0x06D4, 0x06D4},  {0x0964, 0x0965}, {0x2010, 0x2027}, {0x2030, 0x205E}, {0x2060, 0x206F},
                     {0x20A0, 0x20CF},  {0x2100, 0x214F}, {0x2190, 0x2BFF}, {0x2E00, 0x2E7F}, {0x3001, 0x3004},
                     {0x3008, 0x3020},  {0x3030, 0x303F}, {0xFE10, 0xFE1F}, {0xFE30, 0xFE6F}, {0xFEFF, 0xFEFF},
                     {0xFF01, 0xFF0F},  {0xFF1A, 0xFF20}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFE0, 0xFFFF},
                     {0x1F000, 0x1FAFF}}))
        return CharClass::Other;
    return CharClass::Word;  // the letters of every other script
}

// The code point at s[i] and its length in bytes; a byte that starts no well-formed
// sequence is one character of its own (class Other), so that any text splits whole.
size_t Decode(std::string_view s, size_t i, char32_t& c) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t lead = b(i);
    size_t n = lead < 0x80                    ? 1
               : lead >= 0xC2 && lead <= 0xDF ? 2
               : lead >= 0xE0 && lead <= 0xEF ? 3
               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                              : 0;
    if (n == 0 || i + n > s.size()) {
        c = 0xFFFD;
        return 1;
    }
    c = n == 1 ? lead : lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) {
            c = 0xFFFD;
            return 1;
        }
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
        return 1;
    }
    return n;
}

// The middle of both texts as token numbers (equal tokens get one number, so the diff
// compares integers), without the tokens the other text does not have at all: those
// can be in no common sequence, and leaving them out makes a rewritten text's diff
// several times faster. `where` maps each number kept back to its token.
struct Numbered {
    std::vector<int> a, b;
    std::vector<size_t> whereA, whereB;
};

Numbered Number(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b, size_t begin,
                size_t endA, size_t endB) {
    std::unordered_map<std::string_view, int> ids;
    ids.reserve((endA - begin) + (endB - begin));
    std::vector<int> idA, idB;
    for (size_t i = begin; i < endA; ++i) idA.push_back(ids.emplace(a[i], int(ids.size())).first->second);
    for (size_t i = begin; i < endB; ++i) idB.push_back(ids.emplace(b[i], int(ids.size())).first->second);
    std::vector<char> inA(ids.size(), 0), inB(ids.size(), 0);
    for (int id : idA) inA[size_t(id)] = 1;
    for (int id : idB) inB[size_t(id)] = 1;
    Numbered n;
    for (size_t i = 0; i < idA.size(); ++i)
        if (inB[size_t(idA[i])]) n.a.push_back(idA[i]), n.whereA.push_back(begin + i);
    for (size_t i = 0; i < idB.size(); ++i)
        if (inA[size_t(idB[i])]) n.b.push_back(idB[i]), n.whereB.push_back(begin + i);
    return n;
}

// Myers' greedy diff: marks in keptA/keptB the tokens of one longest common
// subsequence. Returns false, marking nothing, when more than kMaxEdits edits are needed.
bool Myers(const std::vector<int>& a, const std::vector<int>& b, std::vector<char>& keptA, std::vector<char>& keptB) {
    const int n = int(a.size()), m = int(b.size()), max = std::min(n + m, kMaxEdits);
    std::vector<int> v(2 * size_t(max) + 3, 0);
    const int off = max + 1;
    // trace holds v[-d..d step 2] after round d, from trace[d * (d + 1) / 2].
    std::vector<int> trace;
    const auto traced = [&](int d, int k) { return trace[size_t(d) * (d + 1) / 2 + (k + d) / 2]; };
    const auto goesDown = [](int d, int k, auto at) { return k == -d || (k != d && at(k - 1) < at(k + 1)); };
    int found = -1;
    for (int d = 0; d <= max && found < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int x = goesDown(d, k, [&](int kk) { return v[kk + off]; }) ? v[k + 1 + off] : v[k - 1 + off] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            v[k + off] = x;
            if (x >= n && y >= m) found = d;
        }
        for (int k = -d; k <= d; k += 2) trace.push_back(v[k + off]);
    }
    if (found < 0) return false;
    int x = n, y = m;
    for (int d = found; d > 0; --d) {
        const int k = x - y;
        const bool down = goesDown(d, k, [&](int kk) { return traced(d - 1, kk); });
        const int prevK = down ? k + 1 : k - 1, prevX = traced(d - 1, prevK), prevY = prevX - prevK;
        const int snakeX = down ? prevX : prevX + 1;
        while (x > snakeX) --x, --y, keptA[x] = keptB[y] = 1;
        x = prevX, y = prevY;
    }
    while (x > 0) --x, --y, keptA[x] = keptB[y] = 1;
    return true;
}

void Append(std::vector<DiffPiece>& pieces, DiffKind kind, const char* begin, const char* end) {
    if (begin == end) return;
    if (pieces.empty() || pieces.back().kind != kind) pieces.push_back({kind, {}});
    pieces.back().text.append(begin, end);
}

}  // namespace

std::vector<std::string_view> SplitDiffTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    const std::vector<qa::Placeholder> placeholders = qa::FindPlaceholders(text);
    size_t nextPlaceholder = 0;
    for (size_t i = 0; i < text.size();) {
        while (nextPlaceholder < placeholders.size() && placeholders[nextPlaceholder].range.begin < i)
            ++nextPlaceholder;
        size_t end = i;
        if (nextPlaceholder < placeholders.size() && placeholders[nextPlaceholder].range.begin == i) {
            end = placeholders[nextPlaceholder].range.end;
        } else if (const size_t tag = text[i] == '<' ? markup::ColourTagLength(text.substr(i)) : 0) {
            end = i + tag;
        } else {
            char32_t c;
            end = i + Decode(text, i, c);
            const CharClass first = Classify(c);
            // Words take letters and marks, spaces take spaces, every other token only
            // the marks on its one character. Placeholders and tags start with '%', '{'
            // or '<', which no word or space run takes, so a run never swallows one.
            while (end < text.size()) {
                const size_t n = Decode(text, end, c);
                const CharClass next = Classify(c);
                const bool joins = next == CharClass::Mark
                                       ? first != CharClass::Space
                                       : next == first && (first == CharClass::Word || first == CharClass::Space);
                if (!joins) break;
                end += n;
            }
        }
        tokens.push_back(text.substr(i, end - i));
        i = end;
    }
    return tokens;
}

std::vector<DiffPiece> WordDiff(std::string_view oldText, std::string_view newText) {
    const std::vector<std::string_view> a = SplitDiffTokens(oldText), b = SplitDiffTokens(newText);
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    const size_t endA = a.size() - tail, endB = b.size() - tail;

    std::vector<char> keptA(a.size(), 1), keptB(b.size(), 1);
    std::fill(keptA.begin() + head, keptA.begin() + endA, 0);
    std::fill(keptB.begin() + head, keptB.begin() + endB, 0);
    if (endA > head && endB > head) {
        const Numbered middle = Number(a, b, head, endA, endB);
        std::vector<char> midA(middle.a.size(), 0), midB(middle.b.size(), 0);
        if (Myers(middle.a, middle.b, midA, midB)) {
            for (size_t i = 0; i < midA.size(); ++i) keptA[middle.whereA[i]] = midA[i];
            for (size_t i = 0; i < midB.size(); ++i) keptB[middle.whereB[i]] = midB[i];
        }
    }

    // Kept tokens pair up in order; between two pairs, the old side's tokens are one
    // Removed run and the new side's one Added run.
    std::vector<DiffPiece> pieces;
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && keptA[i] && keptB[j]) {
            Append(pieces, DiffKind::Same, a[i].data(), a[i].data() + a[i].size());
            ++i, ++j;
            continue;
        }
        const size_t i0 = i, j0 = j;
        while (i < a.size() && !keptA[i]) ++i;
        while (j < b.size() && !keptB[j]) ++j;
        if (i > i0) Append(pieces, DiffKind::Removed, a[i0].data(), a[i - 1].data() + a[i - 1].size());
        if (j > j0) Append(pieces, DiffKind::Added, b[j0].data(), b[j - 1].data() + b[j - 1].size());
    }
    return pieces;
}

}  // namespace review
