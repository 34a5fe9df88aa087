// gallery_screen.cpp - builds the gallery's four sheets through the by-name API: a tab
// bar and a status bar on each, framed groups of controls with their main properties
// set, and small handlers that make the controls answer when they are tried.
#include "examples/gallery_screen.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/format.h"
#include "gui/controls/button.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/controls/mclistbox.h"
#include "gui/gui.h"
#include "render/draw.h"
#include "render/texture.h"

namespace {

// ---- look ----------------------------------------------------------------------------

constexpr Color kSheetColor = MakeColor(226, 231, 238);
constexpr Color kPanelColor = MakeColor(248, 249, 252);
constexpr Color kPanelBorder = MakeColor(150, 160, 180);
constexpr Color kInk = MakeColor(30, 45, 70);
constexpr Color kAccent = MakeColor(45, 80, 140);
constexpr Color kAccentDark = MakeColor(25, 45, 85);
constexpr Color kAccentPale = MakeColor(200, 212, 230);
constexpr Color kWarm = MakeColor(200, 90, 30);
constexpr Color kWarmPale = MakeColor(255, 250, 238);
constexpr Color kWhite = MakeColor(255, 255, 255);

struct SheetInfo {
    const char* name;    // control name of the sheet
    const char* prefix;  // starts the names of the sheet's controls
    const char* tab;     // caption of its tab
    const char* hint;    // what the status bar says on it
};

constexpr SheetInfo kSheets[GALLERY_SHEET_COUNT] = {
    {"GalleryButtons", "Buttons", "Buttons & toggles", "Click, or Tab to a control and press Space"},
    {"GalleryLists", "Lists", "Lists", "Drag a column separator; rest on a shortened item"},
    {"GalleryText", "Text", "Text", "Click into a box and type; Ctrl+C and Ctrl+V copy and paste"},
    {"GalleryPictures", "Pictures", "Pictures & shapes", "Drag the scroll bars and the dialog's title bar"},
};

// The pictures the controls show. Controls only point at surfaces, so the gallery
// keeps them alive for as long as its controls exist.
struct GalleryState {
    SurfaceHandle landscape;  // the PictureBox
    SurfaceHandle buttonUp;   // the picture-style Button
    SurfaceHandle buttonDown;
};
GalleryState g_gallery;

// ---- helpers ---------------------------------------------------------------------------

std::string Name(const char* prefix, const char* part) { return std::string(prefix) + part; }

Control* Make(const char* cls, const std::string& name, const std::string& parent, float x, float y, float w, float h,
              const char* text = nullptr) {
    Control* c = CreateControl(cls, name.c_str(), parent.c_str(), x, y, w, h);
    if (c && text) SetControlProperty(name.c_str(), "Text", text);
    return c;
}

void SetColorProp(const std::string& name, const char* prop, Color color) {
    SetControlProperty(name.c_str(), prop, ValColor(color));
}

Control* MakeFrame(const std::string& name, const std::string& parent, float x, float y, float w, float h,
                   const char* title) {
    Control* c = Make("Frame", name, parent, x, y, w, h, title);
    SetColorProp(name, "Color", kPanelColor);
    SetColorProp(name, "BorderColor", kPanelBorder);
    SetColorProp(name, "TextColor", kInk);
    return c;
}

// A label that reads as plain text on a panel (or any other background).
Control* MakeText(const std::string& name, const std::string& parent, float x, float y, float w, float h,
                  const char* text, Color background = kPanelColor, Color ink = kInk) {
    Control* c = Make("Label", name, parent, x, y, w, h, text);
    SetColorProp(name, "Color", background);
    SetColorProp(name, "TextColor", ink);
    return c;
}

void SetBackgrounds(const std::string& name, Color up, Color down) {
    SetControlProperty(name.c_str(), "Background", ValColor(up));
    SetControlProperty(name.c_str(), "DownBackground", ValColor(down));
}

std::string TextOf(const char* name) {
    char buffer[256] = {};
    Control* c = FindControl(name);
    if (!c || c->GetProperty("Text", nullptr) > int(sizeof buffer)) return {};
    c->GetProperty("Text", buffer);
    return buffer;
}

bool Flag(const char* name, const char* prop) {
    uint8_t value = 0;
    GetControlProperty(name, prop, &value);
    return value != 0;
}

float FloatOf(const char* name, const char* prop) {
    float value = 0;
    GetControlProperty(name, prop, &value);
    return value;
}

// RGBA pixels made by a function of (x, y), uploaded as a surface.
template <class PixelFn>
SurfaceHandle MakePicture(int w, int h, PixelFn pixel) {
    std::vector<Color> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels[size_t(y) * size_t(w) + size_t(x)] = pixel(x, y);
    return SurfaceHandle(CreateSurfaceRGBA(reinterpret_cast<const uint8_t*>(pixels.data()), w, h));
}

uint8_t Mix(uint8_t a, uint8_t b, float t) { return uint8_t(float(a) + (float(b) - float(a)) * t + 0.5f); }

// A small evening landscape: a sky fading to orange, a sun, two rows of hills. The sun
// and the near hills are flat colours, so their look can be checked pixel for pixel.
Color LandscapePixel(int x, int y) {
    const float fx = float(x), fy = float(y);
    const float nearHill = 104 + 10 * std::sin(fx / 23.0f);
    const float farHill = 84 + 14 * std::sin(fx / 37.0f + 1.3f);
    if (fy >= nearHill) return MakeColor(40, 90, 50);
    if (fy >= farHill) return MakeColor(70, 120, 80);
    if ((fx - 140) * (fx - 140) + (fy - 52) * (fy - 52) <= 22 * 22) return MakeColor(255, 225, 110);
    const float t = fy / 100.0f;
    return MakeColor(Mix(40, 250, t), Mix(60, 160, t), Mix(140, 90, t));
}

// The picture-style button: a flat body under a lighter top band.
Color ButtonPixel(int y, Color body, Color band) { return y < 14 ? band : body; }

// ---- handlers --------------------------------------------------------------------------

template <int N>
void OnTab(int32_t) {
    ShowGallerySheet(N);
}

void OnPushClick(int32_t) {
    // The button that was clicked has the focus: a press gives it, a key click needs it.
    const Control* c = GetFocusControl();
    if (!c) return;
    const std::string caption = TextOf(c->name);
    SetControlProperty(
        "ButtonsLog", "Text",
        FormatText("Click event from \xE2\x80\x9C%s\xE2\x80\x9D (control %s).", caption.c_str(), c->name));
}

void OnCheckToggle() {
    std::string log = "Checked:";
    int count = 0;
    for (const char* name : {"ButtonsCheck1", "ButtonsCheck2", "ButtonsCheck3", "ButtonsCheck4"})
        if (Flag(name, "Checked")) log += (count++ ? ", " : " ") + TextOf(name);
    if (count == 0) log += " nothing";
    SetControlProperty("ButtonsCheckLog", "Text", log.c_str());
}

// Shows which button of a radio group is on, in the group's log label.
void LogRadioGroup(const char* log, const char* title, std::initializer_list<const char*> buttons) {
    std::string chosen = "none";
    for (const char* name : buttons)
        if (Flag(name, "Value")) chosen = TextOf(name);
    SetControlProperty(log, "Text", FormatText("%s: %s", title, chosen.c_str()));
}
void OnAlignToggle() {
    LogRadioGroup("ButtonsAlignLog", "Alignment", {"ButtonsLeft", "ButtonsCentre", "ButtonsRight"});
}
void OnQualityToggle() {
    LogRadioGroup("ButtonsQualityLog", "Quality", {"ButtonsLow", "ButtonsMedium", "ButtonsHigh"});
}

void OnItemSelect(int32_t index) {
    // Raised before the list moves its current index, with the row being chosen.
    const ListBox* list = dynamic_cast<ListBox*>(FindControl("ListsItems"));
    const char* text = list ? list->ItemText(index) : nullptr;
    SetControlProperty("ListsItemsLog", "Text",
                       text ? FormatText("Select(%i): %s", int(index), text) : "Select: no item");
}

void OnItemAction(int32_t index) {
    SetControlProperty("ListsItemsLog", "Text", FormatText("Action(%i): double click, Enter or Space", int(index)));
}

void OnMultiSelect(int32_t index) {
    // A click raises Select before it flips the row; a range or Ctrl+A raises it with -1
    // once the rows have changed, so only then is the count final.
    const ListBox* list = dynamic_cast<ListBox*>(FindControl("ListsMulti"));
    if (!list) return;
    if (index >= 0) {
        SetControlProperty(
            "ListsMultiLog", "Text",
            FormatText("Select(%i): %s", int(index), list->ItemText(index) ? list->ItemText(index) : ""));
        return;
    }
    int selected = 0;
    for (int32_t i = 0; i < list->ItemCount(); ++i) selected += list->IsSelected(i) ? 1 : 0;
    SetControlProperty("ListsMultiLog", "Text", FormatText("Select(-1): %i rows selected", selected));
}

void OnComboSelect(int32_t index) {
    const ComboBox* language = dynamic_cast<ComboBox*>(FindControl("ListsLanguage"));
    const ComboBox* size = dynamic_cast<ComboBox*>(FindControl("ListsSize"));
    const Control* focus = GetFocusControl();
    const ComboBox* combo = focus == size ? size : language;
    const char* text = combo ? combo->ItemText(index) : nullptr;
    if (text) SetControlProperty("ListsComboLog", "Text", FormatText("Select(%i): %s", int(index), text));
}

void OnHorizontalScroll() {
    const float position = FloatOf("PicturesHScroll", "cBlock");
    SetControlProperty("PicturesBar", "Progress", ValFloat(position / 100.0f));
    SetControlProperty("PicturesPercent", "Text", FormatText("%i %%", int(position + 0.5f)));
}

void OnVerticalScroll() {
    // Top means full, like a level meter.
    const float position = FloatOf("PicturesVScroll", "cBlock");
    SetControlProperty("PicturesBar2", "Progress", ValFloat(1.0f - position / 100.0f));
}

void OnDialogOk(int32_t) { SetControlProperty("PicturesDialog", "Visible", ValBool(false)); }

void OnShowDialog(int32_t) {
    Control* dialog = FindControl("PicturesDialog");
    Control* sheet = FindControl(kSheets[GALLERY_PICTURES].name);
    if (!dialog || !sheet) return;
    // The close box detaches a dialog from its parent (it keeps its name and children);
    // showing it again means putting it back, on top of its siblings.
    if (!dialog->parent) {
        sheet->children.push_back(dialog);
        dialog->parent = sheet;
    }
    SetControlProperty("PicturesDialog", "Visible", ValBool(true));
    SetFocusTo("PicturesDialog");
}

// ---- the parts every sheet has -----------------------------------------------------------

KeyHandler TabHandler(int sheet) {
    static constexpr KeyHandler kHandlers[GALLERY_SHEET_COUNT] = {&OnTab<0>, &OnTab<1>, &OnTab<2>, &OnTab<3>};
    return kHandlers[sheet];
}

void MakeSheetChrome(int sheet) {
    const SheetInfo& info = kSheets[sheet];
    CreateTopControl("Sheet", info.name, nullptr, 0, 0, 0, 0);
    SetControlProperty(info.name, "Background", ValColor(kSheetColor));

    // The tab bar: the tab of this sheet is the dark one.
    for (int i = 0; i < GALLERY_SHEET_COUNT; ++i) {
        const std::string tab = Name(info.prefix, FormatText("Tab%i", i));
        Make("Button", tab, info.name, 10 + 152.0f * float(i), 8, 146, 26, kSheets[i].tab);
        SetControlProperty(tab.c_str(), "Style", ValEnum(BUTTON_ROUNDED));
        if (i == sheet) {
            SetBackgrounds(tab, kAccent, kAccentDark);
            SetColorProp(tab, "TextColor", kWhite);
        } else {
            SetBackgrounds(tab, kWhite, kAccentPale);
            SetColorProp(tab, "TextColor", kInk);
        }
        BindControlEvent(tab.c_str(), "Click", TabHandler(i));
    }
    MakeText(Name(info.prefix, "Title"), info.name, 628, 13, 162, 18, "Quarnel GUI gallery", kSheetColor,
             MakeColor(90, 100, 120));

    const std::string status = Name(info.prefix, "Status");
    Make("StatusBar", status, info.name, 0, 574, 800, 26);
    SetColorProp(status, "Color", kAccent);
    SetColorProp(status, "BorderColor", kAccentDark);
    SetColorProp(status, "TextColor", kWhite);
    const std::string hint =
        FormatText("%i / %i   %s   \xC2\xB7   Esc quits   \xC2\xB7   Ctrl+Alt+S saves a screenshot", sheet + 1,
                   int(GALLERY_SHEET_COUNT), info.hint);
    MakeText(Name(info.prefix, "Hint"), status, 10, 5, 780, 16, hint.c_str(), kAccent, MakeColor(235, 240, 250));
}

// ---- sheet 1: buttons and toggles ----------------------------------------------------------

void BuildButtonsSheet() {
    const std::string sheet = kSheets[GALLERY_BUTTONS].name;
    MakeSheetChrome(GALLERY_BUTTONS);

    MakeFrame("ButtonsPush", sheet, 10, 44, 385, 250, "Button: four styles");
    Make("Button", "ButtonsClassic", "ButtonsPush", 20, 28, 160, 30, "Classic");
    Make("Button", "ButtonsRounded", "ButtonsPush", 205, 28, 160, 30, "Rounded");
    SetControlProperty("ButtonsRounded", "Style", ValEnum(BUTTON_ROUNDED));
    SetBackgrounds("ButtonsRounded", MakeColor(60, 120, 200), MakeColor(30, 80, 150));
    SetColorProp("ButtonsRounded", "TextColor", kWhite);
    Make("Button", "ButtonsEllipse", "ButtonsPush", 20, 72, 160, 44, "Ellipse");
    SetControlProperty("ButtonsEllipse", "Style", ValEnum(BUTTON_ELLIPSE));
    SetBackgrounds("ButtonsEllipse", MakeColor(250, 170, 60), MakeColor(220, 130, 20));
    SetColorProp("ButtonsEllipse", "TextColor", MakeColor(70, 35, 0));
    Make("Button", "ButtonsPicture", "ButtonsPush", 205, 72, 160, 44, "Picture");
    SetControlProperty("ButtonsPicture", "Style", ValEnum(BUTTON_SURFACE));
    Surface* up = g_gallery.buttonUp.get();
    Surface* down = g_gallery.buttonDown.get();
    SetControlProperty("ButtonsPicture", "BackgroundSurface", &up);
    SetControlProperty("ButtonsPicture", "DownBackgroundSurface", &down);
    SetColorProp("ButtonsPicture", "TextColor", kWhite);
    Make("Button", "ButtonsOwn", "ButtonsPush", 20, 130, 345, 30, "Classic with colours and a tooltip");
    SetBackgrounds("ButtonsOwn", MakeColor(255, 236, 200), MakeColor(255, 236, 200));
    SetColorProp("ButtonsOwn", "TextColor", MakeColor(150, 60, 0));
    SetControlProperty("ButtonsOwn", "ToolTipText", "Tooltips appear when the pointer rests on a control.");
    for (const char* name : {"ButtonsClassic", "ButtonsRounded", "ButtonsEllipse", "ButtonsPicture", "ButtonsOwn"})
        BindControlEvent(name, "Click", OnPushClick);
    MakeText("ButtonsLog", "ButtonsPush", 20, 176, 345, 58, "Press a button: its Click event writes here.", kWhite);

    MakeFrame("ButtonsChecks", sheet, 405, 44, 385, 250, "CheckBox");
    const struct {
        const char* name;
        const char* text;
        bool checked;
    } checks[] = {
        {"ButtonsCheck1", "Show hidden files", true},
        {"ButtonsCheck2", "Wrap long lines", false},
        {"ButtonsCheck3", "Own colours: amber box, brown text", true},
        {"ButtonsCheck4", "Default look", false},
    };
    float y = 30;
    for (const auto& check : checks) {
        Make("CheckBox", check.name, "ButtonsChecks", 20, y, 345, 20, check.text);
        SetControlProperty(check.name, "Checked", ValBool(check.checked));
        BindControlEvent(check.name, "Toggle", OnCheckToggle);
        if (std::strcmp(check.name, "ButtonsCheck4") != 0) SetColorProp(check.name, "BackgroundColor", kPanelColor);
        y += 28;
    }
    SetColorProp("ButtonsCheck3", "Color", MakeColor(255, 214, 120));
    SetColorProp("ButtonsCheck3", "TextColor", MakeColor(120, 50, 0));
    MakeText("ButtonsCheckLog", "ButtonsChecks", 20, 150, 345, 84, "", kWhite);
    OnCheckToggle();

    MakeFrame("ButtonsAlign", sheet, 10, 304, 385, 150, "RadioButton group: alignment");
    MakeFrame("ButtonsQuality", sheet, 405, 304, 385, 150, "RadioButton group: quality");
    const char* aligns[] = {"ButtonsLeft", "Left", "ButtonsCentre", "Centre", "ButtonsRight", "Right"};
    const char* qualities[] = {"ButtonsLow", "Low", "ButtonsMedium", "Medium", "ButtonsHigh", "High"};
    for (int i = 0; i < 3; ++i) {
        const float ry = 30 + 28.0f * float(i);
        Make("RadioButton", aligns[2 * i], "ButtonsAlign", 20, ry, 160, 20, aligns[2 * i + 1]);
        SetColorProp(aligns[2 * i], "BackgroundColor", kPanelColor);
        BindControlEvent(aligns[2 * i], "Toggle", OnAlignToggle);
        Make("RadioButton", qualities[2 * i], "ButtonsQuality", 20, ry, 160, 20, qualities[2 * i + 1]);
        SetColorProp(qualities[2 * i], "BackgroundColor", kPanelColor);
        SetColorProp(qualities[2 * i], "Color", MakeColor(200, 230, 255));
        SetColorProp(qualities[2 * i], "TextColor", MakeColor(20, 60, 120));
        BindControlEvent(qualities[2 * i], "Toggle", OnQualityToggle);
    }
    SetControlProperty("ButtonsCentre", "Value", ValBool(true));
    SetControlProperty("ButtonsHigh", "Value", ValBool(true));
    MakeText("ButtonsAlignLog", "ButtonsAlign", 200, 30, 165, 20, "");
    MakeText("ButtonsQualityLog", "ButtonsQuality", 200, 30, 165, 20, "");
    OnAlignToggle();
    OnQualityToggle();
    MakeText("ButtonsAlignNote", "ButtonsAlign", 200, 58, 165, 76,
             "Each frame holds its own group: turning one button on turns off only its siblings.");

    MakeFrame("ButtonsKeys", sheet, 10, 464, 780, 102, "Keyboard");
    MakeText("ButtonsKeysText", "ButtonsKeys", 15, 22, 750, 70,
             "Tab and Shift+Tab move the focus inside a frame. Space or Enter presses a focused button "
             "(it looks pressed while the key is held), Space flips a check box or turns a radio button on. "
             "The mouse press shows the pressed look: colours for the rounded, ellipse and picture "
             "styles, a moved caption for the classic one.");
}

// ---- sheet 2: lists ----------------------------------------------------------------------

void BuildListsSheet() {
    const std::string sheet = kSheets[GALLERY_LISTS].name;
    MakeSheetChrome(GALLERY_LISTS);

    MakeFrame("ListsSingle", sheet, 10, 44, 385, 522, "ListBox");
    auto* items = dynamic_cast<ListBox*>(Make("ListBox", "ListsItems", "ListsSingle", 15, 25, 355, 300));
    static const char* const kItemNames[] = {
        "menu.title",
        "menu.new_game",
        "menu.continue",
        "menu.options.graphics.texture_quality.description_for_the_tooltip_that_is_long",
        "menu.options.sound",
        "menu.credits",
        "menu.quit",
        "game.intro.narrator: \xE2\x80\x9CThe ferry leaves at dawn, with or without you.\xE2\x80\x9D",
        "game.chapter1.title",
        "game.chapter1.harbour_master",
        "game.chapter1.lighthouse_keeper_first_meeting_when_the_storm_has_not_yet_begun",
        "game.chapter2.title",
        "game.chapter2.market",
        "game.chapter2.letter",
        "keyboard.forward",
        "keyboard.back",
        "keyboard.strafe_left",
        "keyboard.strafe_right",
        "keyboard.jump",
        "keyboard.crouch",
        "keyboard.use",
        "keyboard.inventory",
        "keyboard.journal",
        "keyboard.quick_save",
        "keyboard.quick_load",
    };
    if (items) {
        for (const char* name : kItemNames) items->AddItem(name);
        for (int i = 1; i <= 15; ++i) items->AddItem(FormatText("game.subtitles.line_%03i", i));
        items->SelectItem(3);
    }
    SetColorProp("ListsItems", "Color", kWhite);
    SetColorProp("ListsItems", "TextColor", kInk);
    SetColorProp("ListsItems", "SelectorColor", kAccent);
    BindControlEvent("ListsItems", "Select", OnItemSelect);
    BindControlEvent("ListsItems", "Action", OnItemAction);
    MakeText("ListsItemsLog", "ListsSingle", 15, 332, 355, 34, "Select(3): the long item is shortened with \" ...\"",
             kWhite);

    auto* multi = dynamic_cast<ListBox*>(Make("ListBox", "ListsMulti", "ListsSingle", 15, 376, 355, 114));
    SetControlProperty("ListsMulti", "MultiSelect", ValBool(true));
    SetColorProp("ListsMulti", "Color", kWarmPale);
    SetColorProp("ListsMulti", "TextColor", MakeColor(80, 40, 0));
    SetColorProp("ListsMulti", "SelectorColor", kWarm);
    SetColorProp("ListsMulti", "SelectedTextColor", kWhite);
    if (multi) {
        for (const char* language :
             {"English", "Deutsch",
              "Fran\xC3\xA7"
              "ais",
              "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", "Espa\xC3\xB1ol", "Italiano", "Polski"})
            multi->AddItem(language);
        multi->SelectItem(1);
        multi->SelectItem(3);
    }
    BindControlEvent("ListsMulti", "Select", OnMultiSelect);
    MakeText("ListsMultiLog", "ListsSingle", 15, 494, 355, 20, "MultiSelect: click toggles a row, Shift+click a range");

    MakeFrame("ListsCombo", sheet, 405, 44, 385, 200, "ComboBox");
    MakeText("ListsLanguageCaption", "ListsCombo", 20, 32, 100, 18, "Language");
    auto* language = dynamic_cast<ComboBox*>(Make("ComboBox", "ListsLanguage", "ListsCombo", 125, 30, 240, 20));
    if (language) {
        for (const char* name :
             {"English", "Deutsch",
              "Fran\xC3\xA7"
              "ais",
              "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", "Espa\xC3\xB1ol", "Italiano", "Polski",
              "\xC4\x8C"
              "e\xC5\xA1tina"})
            language->AddItem(name);
        language->selected = 0;
    }
    SetColorProp("ListsLanguage", "Color", kWhite);
    SetColorProp("ListsLanguage", "SelectorColor", kAccent);
    SetColorProp("ListsLanguage", "ScrollBarColor", kAccentPale);
    MakeText("ListsSizeCaption", "ListsCombo", 20, 62, 100, 18, "Font size");
    auto* size = dynamic_cast<ComboBox*>(Make("ComboBox", "ListsSize", "ListsCombo", 125, 60, 240, 20));
    SetColorProp("ListsSize", "Color", kWarmPale);
    SetColorProp("ListsSize", "SelectorColor", kWarm);
    SetColorProp("ListsSize", "ScrollBarColor", MakeColor(255, 226, 190));
    if (size) {
        for (int px = 8; px <= 40; px += 2) size->AddItem(FormatText("%i pixels", px));
        size->selected = 2;
    }
    BindControlEvent("ListsLanguage", "Select", OnComboSelect);
    BindControlEvent("ListsSize", "Select", OnComboSelect);
    MakeText("ListsComboLog", "ListsCombo", 20, 96, 345, 20, "Open a list and pick an entry.", kWhite);
    MakeText("ListsComboNote", "ListsCombo", 20, 124, 345, 64,
             "The open list is drawn above every other control. The second box has more entries "
             "than fit, so its list gets a scroll strip; Up and Down change the choice.");

    MakeFrame("ListsColumns", sheet, 405, 254, 385, 312, "MCListBox");
    auto* table = dynamic_cast<MCListBox*>(Make("MCListBox", "ListsTable", "ListsColumns", 15, 25, 355, 272));
    SetColorProp("ListsTable", "Color", kWhite);
    SetColorProp("ListsTable", "ColumnBarColor", kAccentPale);
    SetColorProp("ListsTable", "ColumnBarTextColor", kInk);
    SetColorProp("ListsTable", "ColumnBarBorderColor", kPanelBorder);
    SetColorProp("ListsTable", "SelectorColor", kAccent);
    if (table) {
        // A row's cells are its text split at line feeds, one per column.
        table->AddColumn("Item", 135);
        table->AddColumn("English", 95);
        table->AddColumn("Deutsch", 105);
        static const char* const kRows[] = {
            "menu.title\nThe Ferry\nDie F\xC3\xA4hre",
            "menu.new_game\nNew game\nNeues Spiel",
            "menu.continue\nContinue\nWeiter",
            "menu.options\nOptions\nOptionen",
            "menu.sound\nSound\nTon",
            "menu.credits\nCredits\nMitwirkende",
            "menu.quit\nQuit\nBeenden",
            "keyboard.forward\nForward\nVorw\xC3\xA4rts",
            "keyboard.back\nBack\nZur\u00FCck",
            "keyboard.jump\nJump\nSpringen",
            "keyboard.crouch\nCrouch\nDucken",
            "keyboard.use\nUse\nBenutzen",
            "keyboard.journal\nJournal\nTagebuch",
            "keyboard.quick_save\nQuick save\nSchnellspeichern",
            "keyboard.quick_load\nQuick load\nSchnellladen",
        };
        for (const char* row : kRows) table->AddItem(row);
        table->SelectItem(1);
    }
}

// ---- sheet 3: text -----------------------------------------------------------------------

void BuildTextSheet() {
    const std::string sheet = kSheets[GALLERY_TEXT].name;
    MakeSheetChrome(GALLERY_TEXT);

    MakeFrame("TextFields", sheet, 10, 44, 385, 200, "TextBox: three formats");
    const struct {
        const char* caption;
        const char* name;
        const char* text;
        uint8_t format;
        int32_t maxLen;
    } fields[] = {
        {"Name", "TextName", "Mira Kova\xC4\x8D", 0, 24},
        {"Count (integer)", "TextCount", "42", 1, 6},
        {"Scale (float)", "TextScale", "1.25", 2, 0},
    };
    float y = 30;
    for (const auto& field : fields) {
        MakeText(Name(field.name, "Caption"), "TextFields", 20, y + 2, 110, 18, field.caption);
        Make("TextBox", field.name, "TextFields", 135, y, 230, 20);
        SetControlProperty(field.name, "Format", ValEnum(field.format));
        SetControlProperty(field.name, "MaxLen", ValInt(field.maxLen));
        SetControlProperty(field.name, "Text", field.text);
        y += 28;
    }
    for (const char* name : {"TextName", "TextCount"}) {
        SetColorProp(name, "Color", kWhite);
        SetColorProp(name, "BorderColor", kPanelBorder);
        SetColorProp(name, "SelectedColor", kAccent);
    }
    SetColorProp("TextScale", "Color", kWarmPale);
    SetColorProp("TextScale", "BorderColor", kWarm);
    SetColorProp("TextScale", "TextColor", MakeColor(120, 50, 0));
    MakeText("TextFieldsNote", "TextFields", 20, 118, 345, 70,
             "Name takes any text up to 24 characters, Count only digits, Scale a decimal number. "
             "Double-click selects a word; Shift with the arrows extends a selection.");

    MakeFrame("TextLabels", sheet, 405, 44, 385, 200, "Label");
    MakeText("TextTags", "TextLabels", 20, 28, 345, 56,
             "Colour tags inside a label: <color 200,0,0>red<color default>, <color 0,140,0>green"
             "<color default> and <color 0,0,220>blue<color default> words, then the label's own colour again.",
             kWhite);
    MakeText("TextLong", "TextLabels", 20, 92, 345, 96,
             "A label whose text is taller than its box grows a scroll bar along its right edge and "
             "wraps the text to the narrower width. The wheel scrolls it anywhere over the label, the "
             "arrows step by half a line, and the track pages. This paragraph goes on a little longer "
             "than it needs to, only so that there is something to scroll: a translator's notes, a "
             "description of where a line is spoken, or the rules for a plural form all fit in a "
             "label like this one.\n\n"
             "The bar's slider shows how much of the text is in view, so a long text gets a short "
             "slider. Labels take no keyboard focus and cannot be edited; they are for reading. "
             "Their text can hold colour tags and line feeds like any other drawn text.",
             kWhite);
    SetColorProp("TextLong", "SelectorColor", kAccentPale);

    MakeFrame("TextMulti", sheet, 10, 254, 780, 312, "MLTextBox");
    Make("MLTextBox", "TextEditor", "TextMulti", 15, 25, 750, 272);
    SetControlProperty("TextEditor", "Text",
                       "The multi-line text box is where a translator works: it wraps words to its width, keeps "
                       "the caret on whole characters of UTF-8 text, selects with the mouse or Shift and the "
                       "arrows, and copies and pastes with Ctrl+C, Ctrl+X and Ctrl+V.\n"
                       "\n"
                       "English: The ferry leaves at dawn, with or without you.\n"
                       "Deutsch: Die F\xC3\xA4hre legt bei Tagesanbruch ab \xE2\x80\x94 mit dir oder ohne dich.\n"
                       "Fran\xC3\xA7"
                       "ais: Le bac part \xC3\xA0 l\xE2\x80\x99"
                       "aube, avec ou sans toi.\n"
                       "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9: \xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE"
                       "\xD0\xBC \xD1\x83\xD1\x85\xD0\xBE\xD0\xB4\xD0\xB8\xD1\x82 \xD0\xBD\xD0\xB0 \xD1\x80\xD0\xB0"
                       "\xD1\x81\xD1\x81\xD0\xB2\xD0\xB5\xD1\x82\xD0\xB5.\n"
                       "\n"
                       "Colour tags are shown as typed here, so they can be edited: <color 200,0,0>red<color "
                       "default>.\n"
                       "\n"
                       "Press Enter for a new line. The box scrolls once its text is taller than the box: "
                       "with the wheel, with the strip on the right, or by moving the caret past the edge.\n"
                       "\n"
                       "1. Read the item's name and description.\n"
                       "2. Write the text in your language.\n"
                       "3. Pick the next item: the text is kept.\n"
                       "4. Compile writes the file.\n"
                       "\n"
                       "The end of the sample text.");
    SetColorProp("TextEditor", "Color", kWhite);
    SetColorProp("TextEditor", "BorderColor", kPanelBorder);
    SetColorProp("TextEditor", "SelectedColor", kAccent);
    SetColorProp("TextEditor", "ScrollBarColor", kAccentPale);
    // Setting the text put the caret at its end and scrolled there; start at the top.
    SetControlProperty("TextEditor", "cPos", ValInt(0));
    SetControlProperty("TextEditor", "cBlock", ValFloat(0));
}

// ---- sheet 4: pictures and shapes ----------------------------------------------------------

void BuildPicturesSheet() {
    const std::string sheet = kSheets[GALLERY_PICTURES].name;
    MakeSheetChrome(GALLERY_PICTURES);

    MakeFrame("PicturesPicture", sheet, 10, 44, 250, 200, "PictureBox");
    Make("PictureBox", "PicturesPic", "PicturesPicture", 15, 25, 220, 160);
    Surface* landscape = g_gallery.landscape.get();
    SetControlProperty("PicturesPic", "Picture", &landscape);
    SetColorProp("PicturesPic", "Color", MakeColor(60, 64, 80));
    SetColorProp("PicturesPic", "BorderColor", kAccentDark);
    SetControlProperty("PicturesPic", "ToolTipText", "A 200 x 140 picture made in code, at its natural size");

    MakeFrame("PicturesProgress", sheet, 270, 44, 520, 200, "ProgressBar and ScrollBar");
    Make("ProgressBar", "PicturesBar", "PicturesProgress", 20, 30, 430, 22);
    SetColorProp("PicturesBar", "Color", MakeColor(60, 160, 90));
    SetColorProp("PicturesBar", "BackColor", MakeColor(235, 245, 238));
    MakeText("PicturesPercent", "PicturesProgress", 460, 32, 45, 18, "");
    Make("ScrollBar", "PicturesHScroll", "PicturesProgress", 20, 62, 430, 18);
    SetControlProperty("PicturesHScroll", "nBlocks", ValInt(100));
    SetControlProperty("PicturesHScroll", "nSliderBlocks", ValInt(10));
    SetColorProp("PicturesHScroll", "ScrollBarColor", kAccentPale);
    BindControlEvent("PicturesHScroll", "Scroll", OnHorizontalScroll);
    SetControlProperty("PicturesHScroll", "cBlock", ValFloat(65));  // raises Scroll: fills the bar

    Make("ScrollBar", "PicturesVScroll", "PicturesProgress", 20, 92, 18, 94);
    SetControlProperty("PicturesVScroll", "nBlocks", ValInt(100));
    SetControlProperty("PicturesVScroll", "nSliderBlocks", ValInt(20));
    SetColorProp("PicturesVScroll", "ScrollBarColor", MakeColor(255, 226, 190));
    BindControlEvent("PicturesVScroll", "Scroll", OnVerticalScroll);
    Make("ProgressBar", "PicturesBar2", "PicturesProgress", 50, 92, 400, 22);
    SetColorProp("PicturesBar2", "Color", kWarm);
    SetColorProp("PicturesBar2", "BackColor", kWarmPale);
    SetControlProperty("PicturesVScroll", "cBlock", ValFloat(70));
    MakeText("PicturesScrollNote", "PicturesProgress", 50, 124, 400, 62,
             "Drag, click or wheel the scroll bars: the horizontal one drives the green bar, the "
             "vertical one the orange bar (top is full).");

    MakeFrame("PicturesShapes", sheet, 10, 254, 380, 312, "Shape and Line");
    const struct {
        const char* name;
        const char* caption;
        uint8_t kind;
        Color color, border;
    } shapes[] = {
        {"PicturesRect", "Rectangle", 0, MakeColor(90, 150, 220), MakeColor(30, 60, 110)},
        {"PicturesRounded", "Rounded", 1, MakeColor(240, 180, 60), MakeColor(140, 90, 0)},
        {"PicturesEllipse", "Ellipse", 2, MakeColor(200, 80, 120), MakeColor(110, 30, 60)},
    };
    float x = 20;
    for (const auto& shape : shapes) {
        Make("Shape", shape.name, "PicturesShapes", x, 28, 100, 70);
        SetControlProperty(shape.name, "Shape", ValEnum(shape.kind));
        SetColorProp(shape.name, "Color", shape.color);
        SetColorProp(shape.name, "BorderColor", shape.border);
        MakeText(Name(shape.name, "Caption"), "PicturesShapes", x, 102, 100, 18, shape.caption);
        x += 120;
    }
    const struct {
        const char* name;
        float y, width;
        Color color;
    } lines[] = {
        {"PicturesLine1", 136.5f, 1, kInk},  // on a pixel row's centre: crisp, not smeared over two
        {"PicturesLine2", 150, 2, MakeColor(60, 120, 200)},
        {"PicturesLine4", 166, 4, kWarm},
    };
    for (const auto& line : lines) {
        // Created with a size, then flattened: w or h of 0 at creation keeps the default rectangle.
        Make("Line", line.name, "PicturesShapes", 20, line.y, 340, 1);
        SetControlProperty(line.name, "h", ValFloat(0));
        SetControlProperty(line.name, "LineWidth", ValFloat(line.width));
        SetColorProp(line.name, "Color", line.color);
    }
    // The same rectangle twice, once inverted: the two diagonals cross.
    for (const char* name : {"PicturesDiagonal", "PicturesInverted"}) {
        Make("Line", name, "PicturesShapes", 20, 186, 340, 110);
        SetControlProperty(name, "LineWidth", ValFloat(3));
    }
    SetColorProp("PicturesDiagonal", "Color", MakeColor(60, 160, 90));
    SetColorProp("PicturesInverted", "Color", MakeColor(200, 80, 120));
    SetControlProperty("PicturesInverted", "Invert", ValBool(true));

    MakeFrame("PicturesDialogs", sheet, 400, 254, 390, 312, "Dialog");
    MakeText("PicturesDialogNote", "PicturesDialogs", 20, 212, 350, 50,
             "Drag the dialog by its title bar. OK hides it, the close box detaches it; the button "
             "below brings it back.");
    Make("Button", "PicturesShowDialog", "PicturesDialogs", 20, 268, 180, 28, "Show the dialog");
    SetControlProperty("PicturesShowDialog", "Style", ValEnum(BUTTON_ROUNDED));
    SetBackgrounds("PicturesShowDialog", kAccentPale, kAccent);
    SetColorProp("PicturesShowDialog", "TextColor", kInk);
    BindControlEvent("PicturesShowDialog", "Click", OnShowDialog);

    // Last on the sheet, so it is drawn above the frames it floats over.
    Make("Dialog", "PicturesDialog", sheet, 425, 282, 340, 170, "Export finished");
    SetColorProp("PicturesDialog", "BackgroundColor", kPanelColor);
    SetColorProp("PicturesDialog", "BorderColor", kAccentDark);
    SetColorProp("PicturesDialog", "DragBoxColor", kAccent);
    SetColorProp("PicturesDialog", "InactiveDragBoxColor", MakeColor(130, 145, 170));
    MakeText("PicturesDialogText", "PicturesDialog", 12, 30, 316, 80,
             "All 128 items of menu.loc were written. A dialog is a movable window with controls of "
             "its own; it comes to the front when it gets the focus.");
    Make("CheckBox", "PicturesDialogAgain", "PicturesDialog", 12, 134, 200, 20, "Tell me every time");
    SetColorProp("PicturesDialogAgain", "BackgroundColor", kPanelColor);
    SetControlProperty("PicturesDialogAgain", "Checked", ValBool(true));
    Make("Button", "PicturesDialogOk", "PicturesDialog", 240, 130, 88, 28, "OK");
    SetControlProperty("PicturesDialogOk", "Style", ValEnum(BUTTON_ROUNDED));
    SetBackgrounds("PicturesDialogOk", kAccent, kAccentDark);
    SetColorProp("PicturesDialogOk", "TextColor", kWhite);
    BindControlEvent("PicturesDialogOk", "Click", OnDialogOk);
}

void MakePictures() {
    g_gallery.landscape = MakePicture(200, 140, LandscapePixel);
    g_gallery.buttonUp = MakePicture(
        160, 44, [](int, int y) { return ButtonPixel(y, MakeColor(70, 150, 90), MakeColor(120, 190, 135)); });
    g_gallery.buttonDown =
        MakePicture(160, 44, [](int, int y) { return ButtonPixel(y, MakeColor(40, 110, 60), MakeColor(70, 150, 90)); });
}

}  // namespace

// ---- public ----------------------------------------------------------------------------

const char* GallerySheetName(int sheet) {
    return sheet >= 0 && sheet < GALLERY_SHEET_COUNT ? kSheets[sheet].name : nullptr;
}

void BuildGallery() {
    FreeGallery();
    MakePictures();
    BuildButtonsSheet();
    BuildListsSheet();
    BuildTextSheet();
    BuildPicturesSheet();
    ShowGallerySheet(GALLERY_BUTTONS);
}

void ShowGallerySheet(int sheet) {
    if (sheet < 0 || sheet >= GALLERY_SHEET_COUNT) return;
    SetActiveSheet(kSheets[sheet].name);
}

void FreeGallery() {
    // A dialog closed by its close box has left the sheet's tree: it goes by name.
    if (FindControl("PicturesDialog")) DestroyControl("PicturesDialog");
    for (const SheetInfo& info : kSheets)
        if (FindControl(info.name)) DestroyControl(info.name);
    g_gallery = GalleryState{};
}
