// picture_progress_shape_status.h - four display-only controls: `PictureBox` (a part of
// a Surface at natural size in a frame), `ProgressBar` (a filled or textured fraction),
// `Shape` (rectangle, rounded rectangle or ellipse) and `StatusBar` (a coloured strip).
#pragma once

#include "gui/control.h"
#include "render/draw.h"

struct Surface;
struct Texture;

class PictureBox : public TipControl {
  public:
    Surface* picture = nullptr;              // not owned
    float sourceX = 0, sourceY = 0;          // top-left of the shown part, picture pixels
    Color color = MakeColor(190, 190, 190);  // around a picture smaller than the box
    Color borderColor = MakeColor(0, 0, 0);

    void Draw() override;
    int ListProperties(PropertyEntry* table) override;
    void OnDestroy() override {}  // plain teardown: no Destroy event
};

class ProgressBar : public Control {
  public:
    float progress = 0;  // 0..1 is the useful range; not clamped, so callers may overshoot
    Color color = MakeColor(0, 0, 160);
    Color backColor = MakeColor(236, 255, 236);
    Texture* texture = nullptr;      // not owned; when set, the bar shows it
    Surface* backSurface = nullptr;  // not owned; when set, the background shows it

    void Draw() override;
    int ListProperties(PropertyEntry* table) override;
};

class Shape : public EventControl {
  public:
    enum : uint8_t { RECTANGLE = 0, ROUNDED = 1 };  // any other value: ellipse
    uint8_t shape = RECTANGLE;
    Color color = MakeColor(255, 100, 0);
    Color borderColor = MakeColor(0, 0, 0);

    void Draw() override;
    int ListProperties(PropertyEntry* table) override;
    void OnDestroy() override {}  // plain teardown: no Destroy event
};

// A strip with a font and text colour. It has no panels: nothing in the toolkit's API
// could fill them, so the strip draws only its background and outline.
class StatusBar : public Control {
  public:
    Color color = MakeColor(225, 225, 225);
    Color textColor = MakeColor(0, 0, 0);
    Color borderColor = MakeColor(0, 0, 0);
    Font* font = nullptr;  // the GUI default font at construction

    StatusBar();
    void Draw() override;
    int ListProperties(PropertyEntry* table) override;
};

Control* NewPictureBox();
Control* NewProgressBar();
Control* NewShape();
Control* NewStatusBar();
