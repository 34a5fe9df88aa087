// pseudo.h - pseudo-localization: a text that still reads as its reference, made to look
// translated. Its letters become accented look-alikes (a text the game shows untranslated,
// or one written into its code, stands out), each line is lengthened by a share of its
// characters as translations into German or Finnish are, and the whole is wrapped in
// [ ... ] (a text cut at its box's edge shows it). Colour tags, placeholders ("%s",
// "%1$d", "{name}", the escapes "%%", "{{" and "}}") and line breaks stay byte for byte,
// and the brackets go inside the text's leading and trailing spaces and line breaks, so
// the checks of loctool qa find nothing to say but what does not fit. A pure function.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fit {

constexpr int kPseudoExpandPercent = 30;

// The pseudo-localized form of `reference`. Each line (between line breaks, less its own
// trailing spaces) gets ceil(characters * expandPercent / 100) more characters before
// its trailing spaces: "~" for a line of one word, words of "~" for a line with spaces,
// so it wraps as text does. Characters are counted as the player sees them (colour tags
// not counted). ASCII letters are replaced; every other byte is kept. The result never
// passes maxBytes: the lengthening is cut short first, then fewer letters are replaced;
// a text that even its brackets would take past it stays as it is. An empty text, or
// one of spaces and line breaks alone, stays as it is too.
std::string PseudoText(std::string_view reference, int expandPercent = kPseudoExpandPercent, size_t maxBytes = 32767);

}  // namespace fit
