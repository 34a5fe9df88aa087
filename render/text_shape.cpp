// text_shape.cpp - display order and forms of a line (GNU FriBidi) and Thai word breaks
// (libthai). See text_shape.h for what the drawer gets.
#include "render/text_shape.h"

#include <fribidi.h>
#include <thai/thbrk.h>
#include <thai/thwchar.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "render/text_markup.h"

namespace shape {
namespace {

constexpr FriBidiChar kReplacement = 0xFFFD;  // what FriBidi sees for a broken sequence
constexpr FriBidiChar kLri = 0x2066, kPdi = 0x2069;
// FriBidi puts a lam-alef ligature in the alef's place and this in the lam's.
constexpr FriBidiChar kLigatureFill = 0xFEFF;

// One UTF-8 sequence at s[0] (avail >= 1 bytes). A broken one decodes as -1 and covers
// the bytes it was meant to have, as the font unit's walk does, so both step alike.
int DecodeUtf8(const char* s, size_t avail, int32_t& codePoint) {
    const uint8_t lead = uint8_t(s[0]);
    int need;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        need = 1, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        need = 2, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        need = 3, codePoint = lead & 0x07;
    } else {
        codePoint = -1;
        return 1;
    }
    for (int i = 1; i <= need; ++i) {
        if (size_t(i) >= avail || (uint8_t(s[i]) & 0xC0) != 0x80) {
            codePoint = -1;
            return int(size_t(need + 1) < avail ? size_t(need + 1) : avail);
        }
        codePoint = codePoint << 6 | (uint8_t(s[i]) & 0x3F);
    }
    return need + 1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// What starts at a byte: a colour tag, a placeholder, an escape ("%%", "{{": plain text,
// but their second character must not start a placeholder), or nothing of these.
enum class Unit : uint8_t { None, Tag, Placeholder, Escape };

// The engine's switch decides whether tags are on; this unit may not ask it, so the
// caller says.
size_t ColorTagLength(std::string_view s) { return markup::ColourTagLength(s); }

// The placeholder rule of the editor's checks (editor/qa, which this layer may not use):
// %[position$][flags][width][.precision][length]conversion, and {name}.
size_t PlaceholderLength(std::string_view s) {
    size_t p = 1;
    if (s[0] == '{') {
        while (p < s.size() && IsNameChar(s[p])) ++p;
        return p > 1 && p < s.size() && s[p] == '}' ? p + 1 : 0;
    }
    size_t digits = 0;
    while (p + digits < s.size() && IsDigit(s[p + digits])) ++digits;
    if (digits > 0 && digits < 5 && p + digits < s.size() && s[p + digits] == '$' && s[p] != '0') p += digits + 1;
    while (p < s.size() && IsOneOf(s[p], "-+#0")) ++p;
    if (p < s.size() && s[p] == '*')
        ++p;
    else
        while (p < s.size() && IsDigit(s[p])) ++p;
    if (p < s.size() && s[p] == '.') {
        ++p;
        if (p < s.size() && s[p] == '*')
            ++p;
        else
            while (p < s.size() && IsDigit(s[p])) ++p;
    }
    for (std::string_view modifier : {"hh", "ll", "h", "l", "L", "z", "j", "t", "q"})
        if (s.substr(p, modifier.size()) == modifier) {
            p += modifier.size();
            break;
        }
    return p < s.size() && IsOneOf(s[p], "diouxXeEfFgGaAcspn") ? p + 1 : 0;
}

Unit UnitAt(std::string_view s, size_t i, size_t& length) {
    const char c = s[i];
    if (c != '<' && c != '%' && c != '{') return Unit::None;
    if (c == '<') return (length = ColorTagLength(s.substr(i))) ? Unit::Tag : Unit::None;
    if (i + 1 < s.size() && s[i + 1] == c) {
        length = 2;
        return Unit::Escape;
    }
    return (length = PlaceholderLength(s.substr(i))) ? Unit::Placeholder : Unit::None;
}

// Controls of joining and direction: they steer FriBidi and take no room on screen.
bool IsInvisibleControl(int32_t c) {
    return (c >= 0x200C && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x061C;
}

bool IsMark(int32_t c) {
    return c >= 0x300 && c <= 0x10FFFF && fribidi_get_bidi_type(FriBidiChar(c)) == FRIBIDI_TYPE_NSM;
}

// Right-to-left letters, Arabic digits and the direction controls: what makes a line's
// order differ from its logical one under a left-to-right base.
bool NeedsBidi(int32_t c) {
    if (c < 0x300 || c > 0x10FFFF) return false;
    const FriBidiCharType t = fribidi_get_bidi_type(FriBidiChar(c));
    return FRIBIDI_IS_RTL(t) || FRIBIDI_IS_ARABIC(t) || FRIBIDI_IS_EXPLICIT(t) || FRIBIDI_IS_ISOLATE(t) ||
           t == FRIBIDI_TYPE_PDF || t == FRIBIDI_TYPE_PDI;
}

// One code point of the logical text FriBidi works on, with where it came from.
struct Entry {
    uint32_t byteBegin, byteEnd;
    int32_t codePoint;  // as decoded (-1: broken)
    int32_t colorTag;
    bool inserted;  // an isolate control we added around a placeholder
};

// The module's state: work buffers kept between calls (the engine is single-threaded and
// lays out a line per draw and per keystroke), and the Thai dictionary, loaded on first
// use and freed when the program exits.
struct State {
    std::vector<Entry> entries;
    std::vector<FriBidiChar> text;
    std::vector<FriBidiCharType> types;
    std::vector<FriBidiBracketType> brackets;
    std::vector<FriBidiLevel> levels;
    std::vector<FriBidiArabicProp> joining;
    std::vector<FriBidiStrIndex> order;
    std::vector<thchar_t> thai;
    std::vector<uint32_t> thaiEnds;
    std::vector<int32_t> thaiCodes;
    std::vector<int> thaiBreaks;
    ThBrk* dictionary = nullptr;
    bool dictionaryTried = false;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        if (dictionary) th_brk_delete(dictionary);
    }
};

State& Module() {
    static State state;
    return state;
}

void AddEntry(State& s, uint32_t begin, uint32_t end, int32_t codePoint, int32_t colorTag, bool inserted = false) {
    s.entries.push_back({begin, end, codePoint, colorTag, inserted});
    s.text.push_back(codePoint < 0 || codePoint > 0x10FFFF ? kReplacement : FriBidiChar(codePoint));
}

// The lam whose place FriBidi gave to the ligature's fill.
bool IsLigatureFill(const State& s, size_t i) {
    return s.text[i] == kLigatureFill && s.entries[i].codePoint != int32_t(kLigatureFill) && !s.entries[i].inserted;
}

// Lines with a left-to-right base and nothing that reorders them: the identity, or false
// (out then unspecified) at the first character that needs the bidi algorithm.
bool LayOutLeftToRight(std::string_view line, std::vector<Cluster>& out, bool colorTags) {
    int32_t colour = -1;
    for (size_t i = 0; i < line.size();) {
        size_t length = 0;
        if (colorTags && line[i] == '<' && UnitAt(line, i, length) == Unit::Tag) {
            colour = int32_t(i);
            i += length;
            continue;
        }
        int32_t c;
        const size_t n = size_t(DecodeUtf8(line.data() + i, line.size() - i, c));
        if (NeedsBidi(c)) return false;
        if (!IsInvisibleControl(c)) out.push_back({c, uint32_t(i), uint32_t(i + n), colour, false, IsMark(c)});
        i += n;
    }
    return true;
}

// The logical text for FriBidi: tags taken out (colorTags) and placeholders, and tags
// shown as text, wrapped in left-to-right isolates so each is reordered as one unit and
// reads left to right inside.
void BuildLogical(State& s, std::string_view line, bool colorTags) {
    s.entries.clear();
    s.text.clear();
    int32_t colour = -1;
    for (size_t i = 0; i < line.size();) {
        size_t length = 0;
        const Unit unit = UnitAt(line, i, length);
        if (unit == Unit::Tag && colorTags) {
            colour = int32_t(i);
            i += length;
            continue;
        }
        const size_t end = unit == Unit::None ? i : i + length;
        const bool isolate = unit == Unit::Tag || unit == Unit::Placeholder;
        if (isolate) AddEntry(s, uint32_t(i), uint32_t(i), int32_t(kLri), colour, true);
        do {  // one code point, or every one of a unit (all ASCII)
            int32_t c;
            const size_t n = size_t(DecodeUtf8(line.data() + i, line.size() - i, c));
            AddEntry(s, uint32_t(i), uint32_t(i + n), c, colour);
            i += n;
        } while (i < end);
        if (isolate) AddEntry(s, uint32_t(i), uint32_t(i), int32_t(kPdi), colour, true);
    }
}

}  // namespace

Direction ParagraphDirection(std::string_view paragraph) {
    int isolates = 0;  // depth of the isolates in the text: P2 skips what they hold
    for (size_t i = 0; i < paragraph.size();) {
        size_t length = 0;
        if (UnitAt(paragraph, i, length) != Unit::None) {
            i += length;
            continue;
        }
        int32_t c;
        i += size_t(DecodeUtf8(paragraph.data() + i, paragraph.size() - i, c));
        if (c == '\n') break;
        if (c < 0x80) {
            if (isolates == 0 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return Direction::LeftToRight;
            continue;
        }
        if (c < 0 || c > 0x10FFFF) continue;
        const FriBidiCharType t = fribidi_get_bidi_type(FriBidiChar(c));
        if (t == FRIBIDI_TYPE_LRI || t == FRIBIDI_TYPE_RLI || t == FRIBIDI_TYPE_FSI) {
            ++isolates;
        } else if (t == FRIBIDI_TYPE_PDI) {
            if (isolates > 0) --isolates;
        } else if (isolates == 0 && t == FRIBIDI_TYPE_LTR) {
            return Direction::LeftToRight;
        } else if (isolates == 0 && (t == FRIBIDI_TYPE_RTL || t == FRIBIDI_TYPE_AL)) {
            return Direction::RightToLeft;
        }
    }
    return Direction::LeftToRight;
}

void VisualLine(std::string_view line, Direction base, std::vector<Cluster>& out, bool colorTags) {
    out.clear();
    if (base == Direction::LeftToRight && LayOutLeftToRight(line, out, colorTags)) return;
    out.clear();

    State& s = Module();
    BuildLogical(s, line, colorTags);
    const FriBidiStrIndex n = FriBidiStrIndex(s.text.size());
    s.types.resize(size_t(n));
    s.brackets.resize(size_t(n));
    s.levels.resize(size_t(n));
    s.joining.resize(size_t(n));
    s.order.resize(size_t(n));
    for (FriBidiStrIndex i = 0; i < n; ++i) s.order[size_t(i)] = i;

    fribidi_get_bidi_types(s.text.data(), n, s.types.data());
    fribidi_get_bracket_types(s.text.data(), n, s.types.data(), s.brackets.data());
    FriBidiParType direction = base == Direction::RightToLeft ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
    bool laidOut =
        fribidi_get_par_embedding_levels_ex(s.types.data(), s.brackets.data(), n, &direction, s.levels.data()) != 0;
    if (laidOut) {
        fribidi_get_joining_types(s.text.data(), n, s.joining.data());
        fribidi_join_arabic(s.types.data(), n, s.levels.data(), s.joining.data());
        fribidi_shape(FRIBIDI_FLAGS_ARABIC | FRIBIDI_FLAG_SHAPE_MIRRORING, s.levels.data(), n, s.joining.data(),
                      s.text.data());
        laidOut = fribidi_reorder_line(FRIBIDI_FLAG_REORDER_NSM, s.types.data(), n, 0, direction, s.levels.data(),
                                       nullptr, s.order.data()) != 0;
    }
    if (!laidOut) {  // FriBidi could not allocate: logical order, unshaped, rather than nothing
        for (FriBidiStrIndex i = 0; i < n; ++i) {
            s.order[size_t(i)] = i;
            s.levels[size_t(i)] = 0;
        }
        for (size_t i = 0; i < s.entries.size(); ++i)
            if (!s.entries[i].inserted) s.text[i] = FriBidiChar(s.entries[i].codePoint);
    }

    for (FriBidiStrIndex v = 0; v < n; ++v) {
        const size_t i = size_t(s.order[size_t(v)]);
        const Entry& e = s.entries[i];
        if (e.inserted || IsInvisibleControl(e.codePoint) || IsLigatureFill(s, i)) continue;
        Cluster c{e.codePoint < 0 ? e.codePoint : int32_t(s.text[i]),
                  e.byteBegin,
                  e.byteEnd,
                  e.colorTag,
                  (s.levels[i] & 1) != 0,
                  s.types[i] == FRIBIDI_TYPE_NSM};
        if (i > 0 && IsLigatureFill(s, i - 1)) {  // the ligature: the lam's bytes and colour too
            c.byteBegin = s.entries[i - 1].byteBegin;
            c.colorTag = s.entries[i - 1].colorTag;
        }
        out.push_back(c);
    }
}

std::vector<Cluster> VisualLine(std::string_view line, Direction base, bool colorTags) {
    std::vector<Cluster> out;
    VisualLine(line, base, out, colorTags);
    return out;
}

namespace {

// libthai's dictionary: beside the program when its package ships one (the Windows ZIP,
// the Linux .tar.gz), else libthai's own (the .deb's libthai-data). Tried once; null when
// neither loads.
ThBrk* Dictionary(State& s) {
    if (!s.dictionaryTried) {
        s.dictionaryTried = true;
        std::string path;
        if (const std::string folder = PlatProgramFolder(); !folder.empty()) {
            std::error_code error;
            if (std::filesystem::is_regular_file(PlatFsPath(folder + "/thbrk.tri"), error))
                path = folder + "/thbrk.tri";
        }
        s.dictionary = th_brk_new(path.empty() ? nullptr : path.c_str());
    }
    return s.dictionary;
}

bool IsThai(int32_t c) { return c >= 0x0E01 && c <= 0x0E5B; }

// The word breaks inside the Thai run gathered in s.thai (TIS-620), s.thaiEnds (the byte
// after each character) and s.thaiCodes. False when there is no dictionary.
bool BreakThaiRun(State& s, std::vector<uint32_t>& out) {
    const size_t n = s.thai.size();
    if (n < 2) return true;
    ThBrk* dictionary = Dictionary(s);
    if (!dictionary) return false;
    s.thai.push_back(0);
    s.thaiBreaks.resize(n);
    const int found = th_brk_find_breaks(dictionary, s.thai.data(), s.thaiBreaks.data(), n);
    for (int k = 0; k < found; ++k) {
        const int at = s.thaiBreaks[size_t(k)];  // a break before the character at `at`
        if (at <= 0 || size_t(at) >= n || IsMark(s.thaiCodes[size_t(at)])) continue;
        out.push_back(s.thaiEnds[size_t(at) - 1]);
    }
    return true;
}

}  // namespace

void ThaiBreaks(std::string_view text, std::vector<uint32_t>& out, bool colorTags) {
    out.clear();
    // Every Thai character is E0 B8 xx or E0 B9 xx in UTF-8: most texts need no decoding.
    if (text.find("\xE0\xB8") == std::string_view::npos && text.find("\xE0\xB9") == std::string_view::npos) return;
    State& s = Module();
    s.thai.clear();
    s.thaiEnds.clear();
    s.thaiCodes.clear();
    for (size_t i = 0; i <= text.size();) {
        size_t length = 0;
        if (i < text.size() && colorTags && text[i] == '<' && UnitAt(text, i, length) == Unit::Tag) {
            i += length;  // a tag does not end a run
            continue;
        }
        int32_t c = -1;
        const size_t n = i < text.size() ? size_t(DecodeUtf8(text.data() + i, text.size() - i, c)) : 1;
        if (IsThai(c)) {
            s.thai.push_back(th_uni2tis(thwchar_t(c)));
            s.thaiEnds.push_back(uint32_t(i + n));
            s.thaiCodes.push_back(c);
        } else if (!s.thai.empty()) {
            if (!BreakThaiRun(s, out)) {
                out.clear();
                return;
            }
            s.thai.clear();
            s.thaiEnds.clear();
            s.thaiCodes.clear();
        }
        i += n;
    }
}

std::vector<uint32_t> ThaiBreaks(std::string_view text, bool colorTags) {
    std::vector<uint32_t> out;
    ThaiBreaks(text, out, colorTags);
    return out;
}

}  // namespace shape
