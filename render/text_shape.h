// text_shape.h - display order and forms of a line of text: the paragraph's direction,
// right-to-left runs reordered for the screen (GNU FriBidi: the Unicode bidi algorithm),
// Arabic letters in their joined presentation forms, mirrored brackets, and where Thai
// text, written without spaces, may break (libthai). Needs neither GL, nor the engine,
// nor a font: the drawers, the editor's checks and loctool can all use it.
//
// The stored text never changes: everything here is for display. Colour tags
// (`<color R,G,B>`, `<color default>`) and placeholders (`%s`, `%1$d`, `%-5.2f`, `{0}`,
// `{name}`) keep their meaning inside right-to-left text: a tag is not a character and is
// never reordered, and a placeholder stays one left-to-right unit, read as written.
//
// Not thread-safe: the module keeps its work buffers and the Thai dictionary in one
// state, for the engine's single thread.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace shape {

enum class Direction : uint8_t { LeftToRight, RightToLeft };

// The paragraph's base direction: that of its first strong character (a letter of a
// left-to-right or a right-to-left script), LeftToRight when it has none. Digits and
// punctuation are not strong; colour tags and placeholders are skipped (a text starting
// "{name} שלום" reads right to left), and so is what a bidi isolate in the text holds.
// Stops at the first line feed.
Direction ParagraphDirection(std::string_view paragraph);

// One thing to draw, in visual order.
struct Cluster {
    // The code point to draw: a presentation form for a joined Arabic letter, the mirror
    // image of a bracket in right-to-left text; negative for a broken UTF-8 sequence
    // (drawn as a missing character).
    int32_t glyph;
    // Its bytes in the line, logical order. A lam-alef ligature covers both letters (and a
    // colour tag between them; its colour is the lam's).
    uint32_t byteBegin, byteEnd;
    // The colour it is drawn in: the byte offset in the line of the last colour tag before
    // it in logical order, or -1 when no tag comes before it in this line (the colour the
    // line started with). Reordering never changes a character's colour this way.
    int32_t colorTag;
    bool rightToLeft;  // its resolved level is odd: a caret before it stands at its right
    bool mark;         // a non-spacing mark, drawn over the base before it in this vector
};

// Lays out one line of a paragraph (its logical bytes, no line feed) in visual order,
// left to right on the screen; `base` is the paragraph's direction (ParagraphDirection of
// the whole paragraph, not of this line). `out` is cleared first, and its capacity reused.
//
// - colorTags: the engine's switch (g_engine.colorTags). On, tags give no Cluster and
//   colour the Clusters after them through `colorTag`. Off, a tag is text, drawn as one
//   left-to-right unit like a placeholder.
// - Marks: every non-spacing mark comes right after its base in `out`, whatever the
//   direction, several on one base in logical order; the drawer puts each over the last
//   Cluster that is not a mark and does not advance the pen. A mark at the start of a
//   line has no base and is drawn where it stands.
// - The invisible controls of joining and direction (ZWNJ, ZWJ, LRM, RLM, ALM, the
//   embeddings, overrides and isolates) give no Cluster: they take no room.
// - Bytes that give no Cluster (tags, controls) still belong to the line; a caret there
//   goes beside the Cluster of the byte after them.
// - A line with a left-to-right base and nothing right-to-left in it (no Hebrew, Arabic
//   letters or digits, no direction controls) is the identity, found by a quick scan
//   without running the bidi algorithm.
//
// The bidi levels are resolved over the line alone: a neutral at a line's end follows
// its own line, and Arabic letters do not join across a line break.
void VisualLine(std::string_view line, Direction base, std::vector<Cluster>& out, bool colorTags = true);
std::vector<Cluster> VisualLine(std::string_view line, Direction base, bool colorTags = true);

// Where a line may break inside Thai text (written without spaces between words), as
// byte offsets into `text`, ascending: the word boundaries libthai's dictionary finds in
// each run of Thai characters (colour tags inside a run do not end it: a break before a
// tag is at the tag's first byte). Never at a run's ends (spaces and punctuation break
// as in any script) and never before a mark. Empty when the dictionary cannot be loaded.
// The dictionary, thbrk.tri, is read once: from the program's folder when it is there
// (the Windows program ships it), else from libthai's own (Debian: libthai-data).
void ThaiBreaks(std::string_view text, std::vector<uint32_t>& out, bool colorTags = true);
std::vector<uint32_t> ThaiBreaks(std::string_view text, bool colorTags = true);

}  // namespace shape
