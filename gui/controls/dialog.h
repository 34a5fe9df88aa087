// dialog.h - `Dialog`: a movable window inside the GUI with a title bar, an optional
// close box, a body for child controls and a soft shadow, or a look made of up to 32
// image pieces (`Skin`). Message boxes and the other common dialogs are built on it.
#pragma once

#include <string>

#include "gui/control.h"
#include "render/draw.h"

struct Surface;

struct DialogSkinPiece {
    Surface* surface = nullptr;
    float x = 0, y = 0, w = 0, h = 0;
};

// The value of a `Skin` property, copied whole. Coordinates v resolve against the
// dialog's size s: v < 0 is s + v, 0..1 a fraction of s, above 1 pixels.
struct DialogSkin {
    DialogSkinPiece pieces[32];
    int16_t pieceCount = 0;  // 0: the built-in look
    float titleX = 0, titleY = 0;
    float closeX = 0, closeY = 0, closeW = 0, closeH = 0;
    Surface* closePressed = nullptr;
    Surface* closeNormal = nullptr;
    Color titleColor = 0;
    uint8_t titleAlign = 255;  // 255: starts at titleX; 0: centred on it; else ends at it
    float dragX = 0, dragY = 0, dragW = 0, dragH = 0;
    Font* font = nullptr;
};

class Dialog : public EventControl {
  public:
    uint8_t opened = 0;
    uint8_t dragging = 0;
    uint8_t closeButton = 1;
    Color backgroundColor = MakeColor(225, 225, 225);
    Color borderColor = MakeColor(0, 0, 0);
    Color textColor = MakeColor(255, 255, 255);
    Color dragBoxColor = MakeColor(0, 0, 160);
    Color inactiveDragBoxColor = MakeColor(160, 160, 160);
    Font* font = nullptr;
    std::string text = "Dialog";
    DialogSkin skin;
    MotionHandler dragMove = nullptr;  // listed as "Move" before the common events; see ListEvents
    PlainHandler open = nullptr;
    PlainHandler close = nullptr;
    std::string focusBefore;  // who had the focus when the dialog took it on opening

    Dialog();
    void Draw() override;
    void Update(float) override {}
    void OnChar(int32_t) override {}
    void OnMouseDown(int32_t key) override;
    void OnClick(int32_t key) override;
    void OnMouseMove(float dx, float dy) override;
    void OnGetFocus() override;
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;

    // The dialog has the focus, or the focus lies inside it.
    bool IsActive() const;
    float FontHeight() const;
    // A skin coordinate resolved against size s.
    static float ResolveSkin(float v, float s);

  private:
    bool InCloseBox(float px, float py) const;  // own coordinates
    void DrawBuiltIn();
    void DrawSkinned();
    void CloseDialog();
    void GiveFocusBack(Control* formerParent);
};

Control* NewDialog();
