// match.cpp - the match tokens are the word diff's tokens (one definition of a word for
// the whole editor) without the blanks, each given a kind; the score is a Levenshtein
// distance over them with neutral tokens of one kind equal.
#include "editor/memory/match.h"

#include <algorithm>

#include "editor/letter_case.h"
#include "editor/qa/qa_checks.h"
#include "editor/review/word_diff.h"
#include "render/text_markup.h"

namespace memory {
namespace {

// The code point at s[i] (its byte count in `length`), U+FFFD for a byte that starts
// no well-formed sequence, which then stands alone.
char32_t DecodeAt(std::string_view s, size_t i, size_t& length) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t lead = b(i);
    const size_t n = lead < 0x80                    ? 1
                     : lead >= 0xC2 && lead <= 0xDF ? 2
                     : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                    : 0;
    length = 1;
    if (n == 0 || i + n > s.size()) return 0xFFFD;
    char32_t c = n == 1 ? lead : lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    length = n;
    return c;
}

// The blanks the word diff runs together (and a carriage return, which only Windows
// line ends put in a text): never a token here.
bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

TokenKind KindOf(std::string_view token) {
    if (token[0] == '<' && markup::ColourTagLength(token) == token.size()) return TokenKind::Tag;
    if ((token[0] == '%' || token[0] == '{') && token.size() > 1) {
        const std::vector<qa::Placeholder> found = qa::FindPlaceholders(token);
        if (found.size() == 1 && found[0].range.begin == 0 && found[0].range.end == token.size())
            return TokenKind::Placeholder;
    }
    if (std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) return TokenKind::Number;
    return TokenKind::Text;
}

bool Same(const Token& a, const Token& b) {
    return a.kind == b.kind && (a.kind != TokenKind::Text || a.text == b.text);
}

uint8_t DifferenceBit(TokenKind kind) {
    switch (kind) {
        case TokenKind::Tag:
            return kDiffersInTags;
        case TokenKind::Placeholder:
            return kDiffersInPlaceholders;
        case TokenKind::Number:
            return kDiffersInNumbers;
        default:
            return 0;
    }
}

// Upper case as the editor's find folds it: the same letters, each only when its
// upper-case form takes as many UTF-8 bytes.
char32_t Upper(char32_t c) { return lettercase::UpperCase(c); }

size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

void PutUtf8(std::string& out, size_t at, char32_t c, size_t length) {
    if (length == 1) {
        out[at] = static_cast<char>(c);
    } else if (length == 2) {
        out[at] = static_cast<char>(0xC0 | (c >> 6));
        out[at + 1] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out[at] = static_cast<char>(0xE0 | (c >> 12));
        out[at + 1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[at + 2] = static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::vector<Token> SplitMatchTokens(std::string_view text) {
    std::vector<Token> tokens;
    for (std::string_view piece : review::SplitDiffTokens(text)) {
        size_t length;
        if (IsBlank(DecodeAt(piece, 0, length))) continue;
        tokens.push_back({piece, KindOf(piece)});
    }
    return tokens;
}

MatchScore ScoreTokens(std::string_view a, const std::vector<Token>& ta, std::string_view b,
                       const std::vector<Token>& tb) {
    const size_t n = ta.size(), m = tb.size(), longer = std::max(n, m);
    if (longer == 0) return {100, uint8_t(a == b ? 0 : kDiffersInSpacing)};
    // One row of the Levenshtein table at a time.
    std::vector<size_t> row(m + 1);
    for (size_t j = 0; j <= m; ++j) row[j] = j;
    for (size_t i = 1; i <= n; ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= m; ++j) {
            const size_t up = row[j];
            row[j] = std::min({up + 1, row[j - 1] + 1, diagonal + (Same(ta[i - 1], tb[j - 1]) ? 0 : 1)});
            diagonal = up;
        }
    }
    const size_t distance = row[m];
    MatchScore result{int(100 * (longer - distance) / longer), 0};
    if (distance == 0 && a != b) {
        // No edit: the tokens pair up one to one, and what differs is in neutral tokens
        // or between them.
        for (size_t i = 0; i < n; ++i)
            if (ta[i].text != tb[i].text) result.differsIn |= DifferenceBit(ta[i].kind);
        if (result.differsIn == 0) result.differsIn = kDiffersInSpacing;
    }
    return result;
}

MatchScore ScoreTexts(std::string_view a, std::string_view b) {
    return ScoreTokens(a, SplitMatchTokens(a), b, SplitMatchTokens(b));
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size();) {
        size_t length;
        const char32_t c = DecodeAt(out, i, length);
        const char32_t upper = length <= 3 ? Upper(c) : c;
        if (upper != c && Utf8Length(upper) == length) PutUtf8(out, i, upper, length);
        i += length;
    }
    return out;
}

}  // namespace memory
