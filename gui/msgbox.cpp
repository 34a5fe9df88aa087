// msgbox.cpp - the common dialogs and the modal message box. The box keeps the frames
// running (EngineFrame) while it waits, with the frame clock paused around it, and
// nests: an inner box takes the modal role and gives it back when it closes.
#include "gui/msgbox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

CommonDialogState g_commonDialogs;

namespace {

constexpr float kSW = float(kVirtualWidth), kSH = float(kVirtualHeight);

Font* DialogFont() {
    if (!g_commonDialogs.font) g_commonDialogs.font = GetFont();
    return g_commonDialogs.font;
}

float LineHeight(const Font* font) { return font->height * font->scale; }

float ButtonHeight(float lineHeight) { return lineHeight + 0.01f * kSH; }

void Hook(Control* c) {
    if (c && g_commonDialogs.creationHook) g_commonDialogs.creationHook(c);
}

// Bound to every message-box button: the focused control is the button just clicked.
void CommonButtonHandler(int32_t) {
    const Control* focus = GetFocusControl();
    static const char kPrefix[] = "QUARNEL_CD_Button";
    if (!focus || std::strncmp(focus->name, kPrefix, sizeof kPrefix - 1) != 0) return;
    int slot = -1, button = -1;
    if (std::sscanf(focus->name + sizeof kPrefix - 1, "_%d_%d", &slot, &button) != 2) return;
    if (slot >= 0 && slot < kDialogSlots && button >= 0 && button < 254)
        g_commonDialogs.slots[slot] = static_cast<uint8_t>(2 + button);
}

// Names and messages are built here rather than with FormatText: the text being shown
// often lives in FormatText's shared buffer itself (EngineError passes one).
std::string Numbered(const char* prefix, int a, int b = -1) {
    std::string s = prefix + std::to_string(a);
    if (b >= 0) s += "_" + std::to_string(b);
    return s;
}

std::vector<std::string> SplitCaptions(const char* buttons) {
    std::vector<std::string> captions;
    std::string current;
    for (const char* p = buttons;; ++p) {
        if (*p == '|' || *p == 0) {
            captions.push_back(current.substr(0, 31));
            current.clear();
            if (*p == 0 || captions.size() == 32) break;
        } else {
            current += *p;
        }
    }
    return captions;
}

// Width of the widest line; lines end at line feeds.
float WidestLine(const char* text, const Font* font) { return MeasureText(text, -1, font); }

// Where the message box's buttons go, relative to the top left of the first row.
struct ButtonRows {
    std::vector<float> w, x, y;
    int rows = 0;
    float height = 0;  // of all rows together
};

// Places `count` buttons from `first` on the next row, centred on the text width.
void PlaceRow(ButtonRows& layout, size_t first, size_t count, float textW, float lh) {
    float px = 0;
    for (size_t k = 0; k < count; ++k) {
        if (k > 0) px += 0.02f * kSW;
        layout.x[first + k] = std::trunc(px);
        px += layout.w[first + k];
    }
    const float shift = (textW - px) * 0.5f;
    const float rowY = std::trunc(layout.rows * (lh + 0.02f * kSH));
    for (size_t k = 0; k < count; ++k) layout.x[first + k] += shift, layout.y[first + k] = rowY;
    ++layout.rows;
}

// The buttons, sized to their captions and broken into rows that fit the text width.
ButtonRows LayOutButtons(const std::vector<std::string>& captions, const Font* font, float textW, float lh) {
    const size_t n = captions.size();
    ButtonRows layout;
    layout.w.resize(n), layout.x.resize(n), layout.y.resize(n);
    for (size_t i = 0; i < n; ++i) layout.w[i] = TextWidthFont(captions[i].c_str(), font) + 0.02f * kSW;
    // Every button after the first counts a gap before it, the first of a new row too,
    // so a row breaks a little earlier than its laid width alone would need.
    const float gap = 0.01f * kSW;
    float r = 0;
    size_t c = 0, rowStart = 0;
    for (size_t i = 0; i < n; ++i) {
        r += (i > 0 ? gap : 0) + layout.w[i];
        if (r > textW && c > 0) {
            PlaceRow(layout, rowStart, c, textW, lh);
            rowStart = i, r = gap + layout.w[i], c = 1;
        } else {
            ++c;
        }
    }
    PlaceRow(layout, rowStart, c, textW, lh);
    layout.height = (layout.rows - 1) * (lh + 0.02f * kSH) + ButtonHeight(lh);
    return layout;
}

// Heights of the text and of the whole content: the text as tall as it needs, but the
// box at most three quarters of the screen, the text then at least three lines.
struct BoxHeights {
    float text, content;
};
BoxHeights MeasureHeights(const char* text, Font* font, float textW, float rowsH, float lh) {
    BoxHeights hs;
    hs.text = TextHeightFont(font, textW - 5, 0, text, 0, -1) + 15 + 0.01f * kSH;
    hs.content = 0.005f * kSH + hs.text + rowsH;
    if (hs.content > 0.75f * kSH) {
        hs.content = 0.75f * kSH;
        hs.text = 0.75f * kSH - rowsH;
        if (hs.text < 3 * lh) {
            hs.text = 3 * lh;
            hs.content = rowsH + 3 * lh;
        }
    }
    return hs;
}

// Fills the open box with the text and one button per caption; the first button gets
// the focus.
void FillMessageBox(const OpenDialog& box, const char* text, Font* font, float textW, float textH,
                    const std::vector<std::string>& captions, const ButtonRows& layout, float lh) {
    const std::string dialogName = box.dialog->name;
    const std::string labelName = Numbered("QUARNEL_CD_Label_", box.slot);
    if (Control* label =
            CreateControl("Label", labelName.c_str(), dialogName.c_str(), box.originX, box.originY, textW, textH)) {
        SetControlProperty(labelName.c_str(), "Text", text);
        SetControlProperty(labelName.c_str(), "Color", ValColor(0));
        SetControlProperty(labelName.c_str(), "TextColor", &g_commonDialogs.textColor);
        SetControlProperty(labelName.c_str(), "Font", &font);
        Hook(label);
    }
    std::string firstButton;
    for (size_t i = 0; i < captions.size(); ++i) {
        const std::string buttonName = Numbered("QUARNEL_CD_Button_", box.slot, static_cast<int>(i));
        Control* button = CreateControl("Button", buttonName.c_str(), dialogName.c_str(), box.originX + layout.x[i],
                                        box.originY + textH + 0.01f * kSH + layout.y[i], layout.w[i], ButtonHeight(lh));
        if (!button) continue;
        SetControlProperty(buttonName.c_str(), "Text", captions[i].c_str());
        SetControlProperty(buttonName.c_str(), "Font", &font);
        if (!BindControlEvent(buttonName.c_str(), "Click", CommonButtonHandler)) SetGuiError(GUI_ERR_EVENT);
        if (i == 0) firstButton = buttonName;
        Hook(button);
    }
    if (Control* first = firstButton.empty() ? nullptr : FindControl(firstButton.c_str())) ChangeFocus(first);
}

// Runs frames until a button of the box is pressed; the slot's state then.
int WaitForButton(const OpenDialog& box) {
    // The box waits in frames of its own; the clock is paused around them so that the
    // application's next frame does not see the whole wait as one step.
    const bool wasPaused = g_engine.clockPaused;
    if (!wasPaused) PauseClock();
    // A quit request (SIGTERM at shutdown) cannot wait for a user who may not be there.
    while (g_commonDialogs.slots[box.slot] == 1 && PlatHasWindow() && !g_engine.quitRequested) EngineFrame();
    if (!wasPaused) ResumeClock();
    return g_commonDialogs.slots[box.slot];
}

}  // namespace

bool OpenCommonDialog(const char* title, float w, float h, OpenDialog* record) {
    int slot = 0;
    while (slot < kDialogSlots && g_commonDialogs.slots[slot] != 0) ++slot;
    if (slot == kDialogSlots) return false;
    Font* font = DialogFont();
    const float lh = font ? LineHeight(font) : 0.0f;
    *record = OpenDialog{};
    record->slot = static_cast<int16_t>(slot);
    record->pointerShown = g_gui.pointerShown;
    record->previousDialogOpen = g_gui.dialogOpen;

    if (!g_gui.activeSheet) {
        const std::string rootName = Numbered("QUARNEL_CD_RootWnd_", slot);
        record->rootSheet = CreateTopControl("Sheet", rootName.c_str(), nullptr, 0, 0, 0, 0);
        if (record->rootSheet) {
            SetControlProperty(rootName.c_str(), "Background", ValColor(0));
            SetActiveSheet(record->rootSheet->name);
            g_gui.dialogOpen = 1;
        }
    }
    const float dw = w + 0.01f * kSW, dh = h + 0.03f * kSH + lh;
    record->originX = 0.01f * kSW;
    record->originY = 0.02f * kSH + lh;
    const char* sheetName = g_gui.activeSheet ? g_gui.activeSheet->name : "";
    const std::string dialogName = Numbered("QUARNEL_Common_Dialog_", slot);
    record->dialog = CreateControl("Dialog", dialogName.c_str(), sheetName, kSW / 2 - dw / 2, kSH / 2 - dh / 2, dw, dh);
    if (!record->dialog) {
        CloseCommonDialog(record);
        return false;
    }
    g_commonDialogs.slots[slot] = 1;
    SetControlProperty(dialogName.c_str(), "Text", title);
    if (g_commonDialogs.skin) SetControlProperty(dialogName.c_str(), "Skin", g_commonDialogs.skin);
    SetControlProperty(dialogName.c_str(), "Font", &font);
    SetControlProperty(dialogName.c_str(), "CloseButton", ValBool(false));
    record->previousModal = GetModalControl();
    if (record->previousModal)
        std::snprintf(record->previousModalName, sizeof record->previousModalName, "%s", record->previousModal->name);
    record->previousFocus = GetFocusControl();
    if (record->previousFocus)
        std::snprintf(record->previousFocusName, sizeof record->previousFocusName, "%s", record->previousFocus->name);
    ChangeFocus(record->dialog);
    SetModalControl(record->dialog);
    Hook(record->dialog);
    return true;
}

// A control remembered when the dialog opened, if it still exists: it may have been
// destroyed meanwhile, so it is trusted only if its name still leads to it.
static Control* StillThere(Control* remembered, const char* name) {
    Control* found = name[0] ? FindControl(name) : nullptr;
    return found && found == remembered ? found : nullptr;
}

void CloseCommonDialog(OpenDialog* record) {
    // The modal role goes back to where it was, and the focus to the control that had
    // it, so that the user types on where they were interrupted.
    Control* modal = StillThere(record->previousModal, record->previousModalName);
    Control* focus = StillThere(record->previousFocus, record->previousFocusName);
    if (focus && record->dialog && record->dialog->Contains(focus)) focus = nullptr;
    if (modal && !modal->Contains(focus)) focus = modal;
    SetModalControl(modal);
    if (focus) ChangeFocus(focus);
    if (record->dialog) {
        DestroyControl(record->dialog->name);
        record->dialog = nullptr;
    } else {
        SetGuiError(GUI_ERR_DESTROY);
    }
    if (record->slot >= 0) g_commonDialogs.slots[record->slot] = 0;
    if (record->rootSheet) {
        std::string rootName = record->rootSheet->name;
        SetActiveSheet(nullptr);
        DestroyControl(rootName.c_str());
        record->rootSheet = nullptr;
        g_gui.dialogOpen = record->previousDialogOpen;
    }
    record->slot = -1;
}

int16_t MsgBox(const char* textArg, const char* titleArg, const char* buttons) {
    if (!textArg || !titleArg || !buttons || !*buttons) {
        SetGuiError(GUI_ERR_NULL);
        return -1;
    }
    // Own copies: the caller's strings may be shared buffers that handlers running
    // during the modal loop overwrite.
    const std::string textCopy = textArg, titleCopy = titleArg;
    const char* text = textCopy.c_str();
    const char* title = titleCopy.c_str();
    Font* font = DialogFont();
    if (!font) {
        const std::string message =
            "Unable to display MsgBox(), CommonDialogFont == NULL\n\nMessage: " + titleCopy + "\n\n" + textCopy;
        PlatMessageBox(message.c_str(), "Error ( MsgBox )", true);
        SetGuiError(GUI_ERR_FONT);
        return 0;
    }
    const float lh = LineHeight(font);
    const float textW = std::clamp(WidestLine(text, font), kSW / 4, 0.75f * kSW);
    const std::vector<std::string> captions = SplitCaptions(buttons);
    const ButtonRows layout = LayOutButtons(captions, font, textW, lh);
    const BoxHeights heights = MeasureHeights(text, font, textW, layout.height, lh);

    OpenDialog box;
    if (!OpenCommonDialog(title, textW, heights.content, &box)) return -1;
    FillMessageBox(box, text, font, textW, heights.text, captions, layout, lh);
    const int state = WaitForButton(box);
    CloseCommonDialog(&box);
    // The window went away, or the program was asked to end, before a button was pressed.
    return state >= 2 ? static_cast<int16_t>(state - 2) : int16_t{-1};
}
