// text_edit.cpp - the editing model both text boxes share. Every change of the text goes
// through Replace, so the undo history and the marks under words always follow it; the
// boxes shape insertions and lay the text out, the core never measures anything.
#include "gui/controls/text_edit.h"

#include <algorithm>
#include <cstdlib>

#include "engine/engine.h"
#include "gui/control.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/draw.h"
#include "render/font.h"

namespace {

// Where a run of typed characters ends a word: the next letter starts a new undo step.
bool IsBreak(char b) { return b == ' ' || b == '\n' || IsWordDelimiter(b); }

size_t StepBytes(const EditStep& s) { return s.removed.size() + s.inserted.size(); }

// Letters and digits of any script; the punctuation and spaces of Latin-1, the general
// punctuation block and the CJK and full-width ones are not.
bool IsWordCodePoint(int32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    if (c <= 0xBF || c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x206F) return false;
    if (c >= 0x3000 && c <= 0x303F) return false;
    if (c >= 0xFF00 && c <= 0xFF0F) return false;
    return true;
}

int32_t CodePointAt(std::string_view s, int32_t pos) {
    int32_t c = 0;
    DecodeUtf8(s.data() + pos, c);
    return c;
}

}  // namespace

// ---- changing the text ----------------------------------------------------------------------

void TextEdit::Sanitize() {
    const int32_t len = Length();
    auto snap = [&](int64_t p) {
        int32_t q = int32_t(std::clamp<int64_t>(p, 0, len));
        while (q > 0 && q < len && IsContinuation(text[size_t(q)])) --q;
        return q;
    };
    cPos = snap(cPos);
    nSel = snap(int64_t(cPos) + nSel) - cPos;
}

void TextEdit::Replace(int32_t at, size_t count, std::string_view with) {
    text.replace(size_t(at), count, with);
    // The caret after an insertion stands by what was inserted, where the next character
    // typed will appear.
    caretWithPrevious = !with.empty();
    ShiftMarks(at, int32_t(count), int32_t(with.size()));
}

// Marks before the change stay, marks after it move with their text, and a mark the
// change touches is dropped: its word is no longer the one that was marked.
void TextEdit::ShiftMarks(int32_t at, int32_t removed, int32_t inserted) {
    if (marks.empty()) return;
    const int64_t delta = int64_t(inserted) - removed;
    std::erase_if(marks, [&](TextMark& m) {
        if (int64_t(m.end) <= at) return false;
        if (int64_t(m.begin) < int64_t(at) + removed) return true;
        m.begin = uint32_t(m.begin + delta), m.end = uint32_t(m.end + delta);
        return false;
    });
}

size_t TextEdit::StoredSize(std::string_view candidate) const {
    return storedSize ? storedSize(candidate) : candidate.size();
}

bool TextEdit::StoredFits(std::string_view base, int32_t at, size_t count, std::string_view with) {
    if (!storedSize) return true;
    std::string candidate(base);
    candidate.replace(size_t(at), count, with);
    if (StoredSize(candidate) <= size_t(kMaxTextBytes)) return true;
    OnTextFull();
    return false;
}

TextEdit::Fit TextEdit::TryInsert(int32_t pos, std::string_view str, EditStep::Kind kind, bool countStored) {
    if (const size_t nul = str.find('\0'); nul != std::string_view::npos) str = str.substr(0, nul);
    if (pos < 0 || pos > Length()) return Fit::REFUSED;
    Sanitize();
    ResetBlink();
    while (pos > 0 && pos < Length() && IsContinuation(text[size_t(pos)])) --pos;
    const int32_t start = std::min(cPos, Caret()), count = std::abs(nSel);
    int32_t at = pos;  // where the piece goes once the selection is gone
    if (count != 0 && pos >= start + count)
        at -= count;
    else if (count != 0 && pos > start)
        at = start;  // inside the selection: where it began

    std::string restOwned;
    std::string_view rest = text;
    if (count != 0) {
        restOwned = text;
        restOwned.erase(size_t(start), size_t(count));
        rest = restOwned;
    }
    Insertion ins{text, rest, at, std::string(str)};
    if (const Fit fit = ShapeInsertion(ins); fit != Fit::DONE) return fit;
    // Checked before anything changes: a refused insertion keeps the text and the selection.
    if (rest.size() + ins.piece.size() > size_t(kMaxTextBytes)) {
        OnTextFull();
        return Fit::TOO_LONG;
    }
    if (countStored && !StoredFits(rest, at, 0, ins.piece)) return Fit::TOO_LONG;

    // The stretch of the old text that the change covers, for the undo step.
    const int32_t atOld = at <= start ? at : at + count;
    const int32_t lo = count != 0 ? std::min(start, atOld) : at;
    const int32_t hiOld = count != 0 ? std::max(start + count, atOld) : at;
    EditStep step{lo, text.substr(size_t(lo), size_t(hiOld - lo)), {}, cPos, nSel, kind};

    const int32_t n = int32_t(ins.piece.size());
    if (count != 0) Replace(start, size_t(count), {});
    Replace(at, 0, ins.piece);
    cPos = start;
    if (at <= cPos) cPos += n;  // an insertion at the caret leaves it after the new text
    nSel = 0;
    step.inserted = text.substr(size_t(lo), size_t(hiOld - lo - count + n));
    Record(std::move(step));
    OnTextChanged();
    return Fit::DONE;
}

bool TextEdit::InsertText(int32_t pos, std::string_view str) {
    return TryInsert(pos, str, EditStep::SINGLE) == Fit::DONE;
}

void TextEdit::TypeText(std::string_view bytes) { TryInsert(cPos, bytes, EditStep::TYPING); }

void TextEdit::EraseRange(int32_t from, int32_t to, EditStep::Kind kind) {
    EditStep step{from, text.substr(size_t(from), size_t(to - from)), {}, cPos, nSel, kind};
    Replace(from, size_t(to - from), {});
    cPos = from;
    nSel = 0;
    Record(std::move(step));
    OnTextChanged();
}

void TextEdit::DeleteSelection() {
    Sanitize();
    const int32_t start = std::min(cPos, Caret());
    EraseRange(start, start + std::abs(nSel), EditStep::SINGLE);
}

bool TextEdit::ReplaceRange(int32_t begin, int32_t end, std::string_view with) {
    if (begin < 0 || end < begin || end > Length()) return false;
    const int32_t oldPos = cPos, oldSel = nSel;
    cPos = begin, nSel = end - begin;
    CloseEditStep();
    if (TryInsert(begin, with, EditStep::SINGLE) == Fit::DONE) return true;
    cPos = oldPos, nSel = oldSel;
    return false;
}

bool TextEdit::LoadText(std::string_view value) {
    std::string old = text;
    EditHistory oldHistory = std::move(history);
    std::vector<TextMark> oldMarks = std::move(marks);
    const int32_t oldPos = cPos, oldSel = nSel;
    text.clear();  // keeps the buffer
    history = {}, marks.clear();
    cPos = nSel = 0;
    pendingHighSurrogate = 0;
    if (TryInsert(0, value, EditStep::SINGLE, false) == Fit::TOO_LONG) {
        // Refused whole: a cut-off text would be lost silently once it is saved.
        text = std::move(old), history = std::move(oldHistory), marks = std::move(oldMarks);
        cPos = oldPos, nSel = oldSel;
        return false;
    }
    history = {};  // a new text: nothing to undo into
    cPos = Length(), nSel = 0;
    return true;
}

// ---- undo and redo --------------------------------------------------------------------------

// Typed characters join the open step until a word ends (the break goes with the word
// before it); runs of Backspace or of Delete join likewise. Anything else is a step.
void TextEdit::Record(EditStep step) {
    if (step.removed.empty() && step.inserted.empty()) return;
    EditHistory& h = history;
    for (const EditStep& s : h.redo) h.bytes -= StepBytes(s);
    h.redo.clear();
    if (h.open && !h.undo.empty() && step.kind == h.undo.back().kind) {
        EditStep& last = h.undo.back();
        const size_t before = StepBytes(last);
        bool joined = false;
        if (step.kind == EditStep::TYPING && step.removed.empty() && !last.inserted.empty() &&
            size_t(step.at) == size_t(last.at) + last.inserted.size() &&
            !(IsBreak(last.inserted.back()) && !IsBreak(step.inserted.front()))) {
            last.inserted += step.inserted;
            joined = true;
        } else if (step.kind == EditStep::BACKSPACE && size_t(step.at) + step.removed.size() == size_t(last.at)) {
            last.removed.insert(0, step.removed);
            last.at = step.at;
            joined = true;
        } else if (step.kind == EditStep::FORWARD_DELETE && step.at == last.at) {
            last.removed += step.removed;
            joined = true;
        }
        if (joined) {
            h.bytes += StepBytes(last) - before;
            DropOldest();
            return;
        }
    }
    h.bytes += StepBytes(step);
    h.open = step.kind != EditStep::SINGLE;
    h.undo.push_back(std::move(step));
    DropOldest();
}

void TextEdit::DropOldest() {
    EditHistory& h = history;
    while (!h.undo.empty() && (h.undo.size() > EditHistory::kMaxSteps || h.bytes > EditHistory::kMaxBytes)) {
        h.bytes -= StepBytes(h.undo.front());
        h.undo.pop_front();
        if (h.undo.empty()) h.open = false;
    }
}

// A step applies only where its bytes are still found; one that is not (the text was
// changed behind the history's back) ends the history rather than corrupt the text.
bool TextEdit::Undo() {
    EditHistory& h = history;
    h.open = false;
    if (h.undo.empty()) return false;
    EditStep s = std::move(h.undo.back());
    h.undo.pop_back();
    if (s.at < 0 || size_t(s.at) + s.inserted.size() > text.size() ||
        text.compare(size_t(s.at), s.inserted.size(), s.inserted) != 0) {
        history = {};
        return false;
    }
    // The counter may have changed since the step was made (the text was stored anew).
    if (!StoredFits(text, s.at, s.inserted.size(), s.removed)) {
        h.undo.push_back(std::move(s));
        return false;
    }
    Replace(s.at, s.inserted.size(), s.removed);
    cPos = s.cPosBefore, nSel = s.nSelBefore;
    Sanitize();
    h.redo.push_back(std::move(s));
    ResetBlink();
    OnTextChanged();
    return true;
}

bool TextEdit::Redo() {
    EditHistory& h = history;
    h.open = false;
    if (h.redo.empty()) return false;
    EditStep s = std::move(h.redo.back());
    h.redo.pop_back();
    if (s.at < 0 || size_t(s.at) + s.removed.size() > text.size() ||
        text.compare(size_t(s.at), s.removed.size(), s.removed) != 0) {
        history = {};
        return false;
    }
    if (!StoredFits(text, s.at, s.removed.size(), s.inserted)) {
        h.redo.push_back(std::move(s));
        return false;
    }
    Replace(s.at, s.removed.size(), s.inserted);
    cPos = s.at + int32_t(s.inserted.size()), nSel = 0;
    h.undo.push_back(std::move(s));
    ResetBlink();
    OnTextChanged();
    return true;
}

// ---- keys and characters --------------------------------------------------------------------

bool TextEdit::EditKey(int32_t key) {
    const bool shift = IsKeyDown(KEY_ANY_SHIFT);
    // AltGr arrives as Ctrl+Alt on Windows: AltGr+Z types a letter on Polish keyboards and
    // must not undo, nor AltGr+A select everything that the letter then replaces.
    const bool ctrl = IsKeyDown(KEY_ANY_CTRL) && !IsKeyDown(KEY_ANY_ALT);
    switch (key) {
        case VK_BACK:
            if (nSel)
                DeleteSelection();
            else if (cPos > 0)
                EraseRange(PrevChar(text, cPos), cPos, EditStep::BACKSPACE);
            return true;
        case VK_DELETE:
            if (nSel)
                DeleteSelection();
            else if (cPos < Length())
                EraseRange(cPos, NextChar(text, cPos), EditStep::FORWARD_DELETE);
            return true;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END: {
            ResetBlink();
            CloseEditStep();
            const CaretMove move = key == VK_LEFT    ? CaretMove::LEFT
                                   : key == VK_RIGHT ? CaretMove::RIGHT
                                   : key == VK_HOME  ? CaretMove::HOME
                                                     : CaretMove::END;
            if (shift) {
                nSel = MoveCaret(Caret(), move) - cPos;
            } else if (nSel != 0 && (move == CaretMove::LEFT || move == CaretMove::RIGHT)) {
                // To the selection's end on the side pressed: in right-to-left text the
                // logical end is on the left.
                const bool toStart = (move == CaretMove::LEFT) != ReadsRightToLeft(std::min(cPos, Caret()));
                cPos = toStart ? std::min(cPos, Caret()) : std::max(cPos, Caret());
                nSel = 0;
                caretWithPrevious = false;
            } else {
                cPos = MoveCaret(Caret(), move);
                nSel = 0;
            }
            OnCaretMoved();
            return true;
        }
        default:
            break;
    }
    if (!ctrl) return false;
    switch (key) {
        case 'A':
            CloseEditStep();
            cPos = 0, nSel = Length();
            return true;
        case 'C':
            Copy();
            return true;
        case 'X':
            // The text goes only once it is safely on the clipboard.
            if (Copy()) DeleteSelection();
            return true;
        case 'V':
            Paste();
            return true;
        case 'Z':
            if (shift)
                Redo();
            else
                Undo();
            return true;
        case 'Y':
            Redo();
            return true;
        default:
            return false;
    }
}

int32_t TextEdit::MoveCaret(int32_t at, CaretMove kind) {
    caretWithPrevious = false;
    switch (kind) {
        case CaretMove::LEFT:
            return PrevChar(text, at);
        case CaretMove::RIGHT:
            return NextChar(text, at);
        case CaretMove::HOME:
            return 0;
        case CaretMove::END:
            return Length();
    }
    return at;
}

void TextEdit::TypeChar(int32_t ch) {
    // A character that comes with Ctrl held (SDL reports Ctrl+1 as the text "1") belongs
    // to a shortcut, not to the text; AltGr, which Windows reports as Ctrl+Alt, types.
    if (IsKeyDown(KEY_ANY_CTRL) && !IsKeyDown(KEY_ANY_ALT)) return;
    // WM_CHAR brings characters outside the basic plane (and some that an input method
    // composes) as two UTF-16 halves; they are joined here, and a half without its
    // partner is dropped: it is no character.
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        pendingHighSurrogate = uint16_t(ch);
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (!pendingHighSurrogate) return;
        ch = 0x10000 + ((pendingHighSurrogate - 0xD800) << 10) + (ch - 0xDC00);
    }
    pendingHighSurrogate = 0;
    if (ch < 32 || ch > 0x10FFFF) return;  // Enter, Backspace and Tab act through the keys
    Sanitize();
    char bytes[8] = {};
    EncodeUtf8(bytes, 0, ch);
    TypeText(bytes);
}

void TextEdit::SelectWordAtAnchor() {
    Sanitize();
    CloseEditStep();
    const int32_t len = Length();
    int32_t s = cPos, e = cPos;
    while (s >= 0 && !IsWordDelimiter(text[size_t(s)])) --s;
    while (e < len && !IsWordDelimiter(text[size_t(e)])) ++e;
    // Anchor at the word's end, caret at its start.
    nSel = (s + 1) - e;
    cPos = e;
}

TextMark TextEdit::WordAtCaret() const {
    const int32_t len = Length();
    const int32_t caret = std::clamp(Caret(), 0, len);
    auto wordAt = [&](int32_t pos) { return pos >= 0 && pos < len && IsWordCodePoint(CodePointAt(text, pos)); };
    // An apostrophe belongs to a word only between two letters ("don't", "l'eau").
    auto inside = [&](int32_t pos) {
        if (wordAt(pos)) return true;
        if (pos <= 0 || pos >= len || text[size_t(pos)] != '\'') return false;
        return wordAt(PrevChar(text, pos)) && wordAt(NextChar(text, pos));
    };
    int32_t b = caret;
    while (b > 0 && inside(PrevChar(text, b))) b = PrevChar(text, b);
    int32_t e = caret;
    while (e < len && inside(e)) e = NextChar(text, e);
    return {uint32_t(b), uint32_t(e)};
}

void TextEdit::TickCaret(float dt, bool focused) {
    blinkTimer -= dt;
    if (blinkTimer < 0) {
        blinkTimer = kBlinkSeconds;
        caretVisible = !caretVisible;
        if (focused) GuiKeepDrawing();  // this frame was drawn with the old caret
    }
    if (focused) GuiWakeIn(blinkTimer);
}

bool TextEdit::Copy() {
    Sanitize();
    if (nSel == 0) return false;
    const int32_t start = std::min(cPos, Caret());
    return PlatSetClipboardText(text.substr(size_t(start), size_t(std::abs(nSel))));
}

void TextEdit::Paste() {
    const std::string clip = PlatGetClipboardText();
    // No text on the clipboard: the selection stays, as it does for a refused paste.
    if (!clip.empty()) InsertText(cPos, clip);
}

// ---- for the application ----------------------------------------------------------------------

TextEdit* TextEditOf(Control* c) { return dynamic_cast<TextEdit*>(c); }

EditHistory TakeEditHistory(Control* c) {
    TextEdit* e = TextEditOf(c);
    if (!e) return {};
    EditHistory h = std::move(e->history);
    e->history = {};
    h.open = false;
    return h;
}

bool PutEditHistory(Control* c, EditHistory history) {
    TextEdit* e = TextEditOf(c);
    if (!e) return false;
    e->history = std::move(history);
    e->history.open = false;
    return true;
}

bool ReplaceTextRange(Control* c, uint32_t begin, uint32_t end, std::string_view with) {
    TextEdit* e = TextEditOf(c);
    if (!e || begin > uint32_t(TextEdit::kMaxTextBytes) || end > uint32_t(TextEdit::kMaxTextBytes)) return false;
    RequestFrame();
    return e->ReplaceRange(int32_t(begin), int32_t(end), with);
}

bool SetStoredSizeCounter(Control* c, StoredSizeFn counter) {
    TextEdit* e = TextEditOf(c);
    if (!e) return false;
    e->storedSize = std::move(counter);
    return true;
}

bool UndoTextEdit(Control* c) {
    TextEdit* e = TextEditOf(c);
    RequestFrame();
    return e && e->Undo();
}

bool RedoTextEdit(Control* c) {
    TextEdit* e = TextEditOf(c);
    RequestFrame();
    return e && e->Redo();
}

bool SetTextMarks(Control* c, std::vector<TextMark> marks) {
    TextEdit* e = TextEditOf(c);
    if (!e) return false;
    const uint32_t len = uint32_t(e->Length());
    std::erase_if(marks, [&](const TextMark& m) { return m.begin >= m.end || m.end > len; });
    e->marks = std::move(marks);
    RequestFrame();
    return true;
}

std::vector<TextMark> GetTextMarks(Control* c) {
    TextEdit* e = TextEditOf(c);
    return e ? e->marks : std::vector<TextMark>{};
}

TextMark WordAtCaret(Control* c) {
    TextEdit* e = TextEditOf(c);
    return e ? e->WordAtCaret() : TextMark{};
}

// A zigzag of 2-pixel teeth along the bottom of the marked characters' cell.
void DrawMarkLine(float x0, float x1, float bottom) {
    constexpr float kTooth = 2.0f;
    SetColor(kMarkColor);
    bool up = true;
    for (float x = x0; x < x1; x += kTooth, up = !up) {
        const float nx = std::min(x + kTooth, x1);
        DrawLine(x, up ? bottom : bottom - kTooth, nx, up ? bottom - kTooth : bottom);
    }
}
