// text_edit.h - `TextEdit`, the editing model that the single-line `TextBox` and the
// multi-line `MLTextBox` share: UTF-8 text, caret and selection, UTF-16 pairs joined, the
// editing keys, the clipboard, the 32767-byte ceiling, undo/redo and marks under words.
// A box derives from its control layer and from TextEdit, and tells the core through a
// few hooks what is its own (how an insertion is shaped, what follows an edit).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "render/draw.h"

class Control;

// A stretch of a box's text, in bytes: [begin, end).
struct TextMark {
    uint32_t begin = 0, end = 0;
    bool operator==(const TextMark&) const = default;
};

// One undoable change: at byte `at`, `removed` was replaced by `inserted`. The selection
// before the change comes back with an undo.
struct EditStep {
    enum Kind : uint8_t { SINGLE, TYPING, BACKSPACE, FORWARD_DELETE };
    int32_t at = 0;
    std::string removed, inserted;
    int32_t cPosBefore = 0, nSelBefore = 0;
    Kind kind = SINGLE;
};

// The undo and redo steps of one text (plain data: the editor keeps one per item and
// hands it back when the translator returns). Bounded to kMaxSteps steps and kMaxBytes
// bytes of stored text; the oldest steps go first.
struct EditHistory {
    static constexpr size_t kMaxSteps = 100;
    static constexpr size_t kMaxBytes = 256 * 1024;

    std::deque<EditStep> undo, redo;  // the last entries are the newest
    size_t bytes = 0;                 // removed + inserted bytes held in both lists
    bool open = false;                // the newest undo step may still take typed characters

    bool Empty() const { return undo.empty() && redo.empty(); }
};

// How many bytes a box's text takes where the application stores it, when that is not
// the bytes the box holds (an editor that puts a CR back before every line feed stores
// more than it shows).
using StoredSizeFn = std::function<size_t(std::string_view text)>;

class TextEdit {
  public:
    // The toolkit's text layout keeps positions in 16 bits, so a text never grows past
    // this many bytes: an insertion that would cross it is refused whole. With a stored
    // size counter installed, the stored size must stay within it too.
    static constexpr int32_t kMaxTextBytes = 32767;
    static constexpr float kBlinkSeconds = 0.5f;

    std::string text;  // `Text`, UTF-8
    int32_t cPos = 7;  // `cPos`: the selection's fixed end (anchor), a byte offset
    int32_t nSel = 0;  // `nSel`: signed selection length; the caret is at cPos + nSel
    float blinkTimer = kBlinkSeconds;
    uint8_t caretVisible = 0;
    uint8_t mouseSelecting = 0;         // from a Mouse 1 press in the text until it is seen up
    uint16_t pendingHighSurrogate = 0;  // first half of a character typed as a UTF-16 pair
    // Where right-to-left and left-to-right runs meet, one offset has two places on screen:
    // set, the caret stands against the character before it in logical order (just typed,
    // or stepped over), else against the one after it.
    bool caretWithPrevious = false;
    EditHistory history;
    std::vector<TextMark> marks;  // drawn with a red wavy line under them
    StoredSizeFn storedSize;      // null: the text is stored as the box holds it

    explicit TextEdit(std::string initial) : text(std::move(initial)) {}
    virtual ~TextEdit() = default;

    int32_t Length() const { return int32_t(text.size()); }
    int32_t Caret() const { return cPos + nSel; }
    // The size of `candidate` as stored: the counter's answer, else its own bytes.
    size_t StoredSize(std::string_view candidate) const;

    // Inserts at byte offset pos (callers pass cPos), replacing the selection, shaped by
    // the box's rules. False when nothing changed: pos outside the text, refused by the
    // box, or past kMaxTextBytes (then the selection stays too). One undo step.
    bool InsertText(int32_t pos, std::string_view str);
    void DeleteSelection();
    // Replaces [begin, end) as one undo step, the box's rules applied to `with`; the
    // caret goes after the new bytes. False, with nothing changed, when refused.
    bool ReplaceRange(int32_t begin, int32_t end, std::string_view with);
    bool Undo();
    bool Redo();
    // Ends the step that typed characters join, so the next one starts its own.
    void CloseEditStep() { history.open = false; }
    // The word (letters, digits, apostrophes inside) that the caret is in or just after;
    // empty (begin == end) when there is none.
    TextMark WordAtCaret() const;
    // Keeps the anchor and the caret inside the text and on character boundaries: they
    // are stored as given when set by name, and the text may have changed under them.
    void Sanitize();

  protected:
    // What the box makes of an insertion. `piece` holds the bytes offered (cut at a NUL)
    // and leaves holding the bytes to insert; `rest` is the text without the selection and
    // `at` the insertion point in it.
    enum class Fit { DONE, REFUSED, TOO_LONG };
    struct Insertion {
        std::string_view text, rest;
        int32_t at = 0;
        std::string piece;
    };
    virtual Fit ShapeInsertion(Insertion& ins) = 0;
    virtual void OnTextChanged() {}  // after every change of the text
    virtual void OnCaretMoved() {}   // after Left, Right, Home and End
    // Where Left, Right, Home and End take the caret from `at` (setting caretWithPrevious
    // for the place): the box knows its lines and what they look like. Without a layout,
    // the logical neighbours and the text's ends.
    enum class CaretMove : uint8_t { LEFT, RIGHT, HOME, END };
    virtual int32_t MoveCaret(int32_t at, CaretMove kind);
    // Whether the paragraph around `at` reads right to left: Left then goes to a
    // selection's logical end.
    virtual bool ReadsRightToLeft(int32_t /*at*/) const { return false; }
    virtual void OnTextFull() {}  // an insertion was refused for kMaxTextBytes

    // Replaces the whole text without an undo step (the history and the marks are
    // cleared: a new text is loaded). False, with the old text kept, when more than
    // kMaxTextBytes are shown; the stored size is not counted, as the application hands
    // over what it stores.
    bool LoadText(std::string_view value);
    // The editing keys every box has: Backspace, Delete, Left, Right, Home, End (Shift
    // extends the selection), Ctrl+A/C/X/V, and Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z. Left and
    // Right move on screen, Backspace and Delete in logical order. False for any other key.
    bool EditKey(int32_t key);
    // A character from WM_CHAR: UTF-16 halves are joined, control characters dropped.
    void TypeChar(int32_t ch);
    // Typed text (a character, or the multi-line box's line feed): joins the open step.
    void TypeText(std::string_view bytes);
    void SelectWordAtAnchor();
    void ResetBlink() { blinkTimer = kBlinkSeconds, caretVisible = 1; }
    // The caret's blink, and the wake-ups that keep it going while the box has the focus.
    void TickCaret(float dt, bool focused);
    bool Copy();
    void Paste();

  private:
    Fit TryInsert(int32_t pos, std::string_view str, EditStep::Kind kind, bool countStored = true);
    // False (and OnTextFull) when `base` with [at, at + count) replaced by `with` would be
    // stored in more than kMaxTextBytes.
    bool StoredFits(std::string_view base, int32_t at, size_t count, std::string_view with);
    void EraseRange(int32_t from, int32_t to, EditStep::Kind kind);
    void Record(EditStep step);
    void Replace(int32_t at, size_t count, std::string_view with);
    void ShiftMarks(int32_t at, int32_t removed, int32_t inserted);
    void DropOldest();
};

// ---- for the application, by control ----------------------------------------------------
// Each returns false (or null, or an empty result) for a control that is no text box.

TextEdit* TextEditOf(Control* c);
// Hands the box's history out (the box is left with none) and puts one back. A history
// belongs to the text it was made on: put it back after setting that text by name (which
// clears the history). Steps that no longer match the text are dropped when undone.
EditHistory TakeEditHistory(Control* c);
bool PutEditHistory(Control* c, EditHistory history);
bool ReplaceTextRange(Control* c, uint32_t begin, uint32_t end, std::string_view with);
// Installs the counter of the box's stored size (null: none); every later edit that
// would store more than kMaxTextBytes is refused whole.
bool SetStoredSizeCounter(Control* c, StoredSizeFn counter);
bool UndoTextEdit(Control* c);
bool RedoTextEdit(Control* c);
// Marks in bytes of the box's text; ranges outside it or empty are left out. Edits shift
// the marks after them and drop the ones they touch; setting the text clears them.
bool SetTextMarks(Control* c, std::vector<TextMark> marks);
std::vector<TextMark> GetTextMarks(Control* c);
TextMark WordAtCaret(Control* c);

// The red wavy line under a mark, from x0 to x1 with its lowest points at `bottom`.
constexpr Color kMarkColor = MakeColor(230, 0, 0);
void DrawMarkLine(float x0, float x1, float bottom);
