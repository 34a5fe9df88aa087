// edited_text.h - taking a text back from the text box without losing what the box
// cannot show. The box keeps no carriage returns and shows a tab as a space, so its
// text is only a view of the stored one; this maps an edit of the view back onto
// the stored bytes.
#pragma once

#include <string>
#include <string_view>

// What the text box shows for `stored`: the bytes before the first NUL, carriage
// returns left out and tabs as spaces.
std::string TextBoxView(std::string_view stored);

// The stored text after the user turned its view into `edited`. An unedited view
// gives `stored` back byte for byte. Otherwise the bytes before and after the edited
// stretch stay as stored (their tabs and CR LF line ends included) and only the
// stretch itself is taken from the box, its line breaks as CR LF when the stored text
// used CR LF. An edited text ends where the box's text ends: a NUL and what follows
// it were never shown and are not kept.
std::string MergeEditedText(std::string_view stored, std::string_view edited);
