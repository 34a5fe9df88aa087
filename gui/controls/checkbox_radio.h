// checkbox_radio.h - the two toggles: `CheckBox`, a square box with a caption that flips
// `Checked`, and `RadioButton`, a round button whose `Value` switches off every other
// radio button under the same parent. Both draw from flat colours or from two textures.
#pragma once

#include <string>

#include "gui/control.h"
#include "render/draw.h"

struct Texture;

class CheckBox : public TipControl {
  public:
    std::string text = "CheckBox";
    Color color = MakeColor(236, 255, 236);            // the box
    Color backgroundColor = MakeColor(225, 225, 225);  // the whole control
    Color textColor = MakeColor(0, 0, 0);
    uint8_t checked = 0;
    PlainHandler toggle = nullptr;  // after every flip; the handler reads `Checked`
    Texture* onTexture = nullptr;   // drawn over the box when checked; not owned
    Texture* offTexture = nullptr;  // drawn as the box; not owned

    void Draw() override;
    void OnKeyUp(int32_t key) override;
    void OnClick(int32_t key) override;
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;

  private:
    void Flip();
};

class RadioButton : public TipControl {
  public:
    std::string text = "RadioButton";
    Color color = MakeColor(236, 255, 236);  // the circle
    Color backgroundColor = MakeColor(225, 225, 225);
    Color textColor = MakeColor(0, 0, 0);
    uint8_t value = 0;
    Texture* onTexture = nullptr;   // the dot when on; not owned
    Texture* offTexture = nullptr;  // drawn instead of the circle; not owned
    PlainHandler toggle = nullptr;  // raised only by the button that was toggled

    void Draw() override;
    void OnKeyUp(int32_t key) override;
    void OnClick(int32_t key) override;
    // Never smaller than the 10-pixel circle; raises no `Size` event.
    void Size(float nw, float nh) override;
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;
    // Turns an off button on (and its siblings off), or an on button off.
    void Toggle();
};

Control* NewCheckBox();
Control* NewRadioButton();
