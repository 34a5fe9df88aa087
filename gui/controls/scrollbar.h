// scrollbar.h - `ScrollBar`: a vertical or horizontal bar with two arrows, a track and
// a slider over an abstract range of blocks, drawn flat or from skin images; also the
// strip machinery that every control with a built-in scroll bar runs in its own rectangle.
#pragma once

#include <cstdint>

#include "gui/control.h"
#include "render/draw.h"

struct Surface;

// Custom hit test of an irregular skin part: (px, py) relative to the part's top-left,
// (w, h) the part's size; 1 for a hit, 0 otherwise.
using ScrollBarHitTest = uint8_t (*)(float px, float py, float w, float h);

// The look of one orientation of a bar (`vskin` or `hskin`); copied whole when set by
// name (property type ScrollBarSkin). The surfaces are not owned. All zero: a flat bar.
struct ScrollBarSkin {
    // Both arrows in a 2 x 2 grid: first arrow in the upper half, second in the lower;
    // normal look on the left, pressed look on the right. Null: drawn arrows.
    Surface* arrows = nullptr;
    ScrollBarHitTest firstArrowHit = nullptr;   // used only with an arrow surface
    ScrollBarHitTest secondArrowHit = nullptr;  // used only with an arrow surface
    ScrollBarHitTest sliderHit = nullptr;
    Surface* track = nullptr;   // null: plain track
    float arrowLength = 0;      // with a track surface: arrow length in thicknesses
    float trackCap = 0;         // share of the track image's length taken by each end cap
    uint8_t trackTiled = 0;     // 0: the middle is stretched; 1: repeated
    Surface* slider = nullptr;  // null: plain slider
    float sliderCap = 0;
    uint8_t sliderTwoState = 0;  // 1: normal look in the left half, dragged look in the right
    uint8_t sliderTiled = 0;
};

// Press modes: what Mouse 1 went down on.
enum ScrollBarPress : uint8_t {
    SB_PRESS_NONE = 0,
    SB_PRESS_FIRST_ARROW = 1,    // up or left
    SB_PRESS_SECOND_ARROW = 2,   // down or right
    SB_PRESS_SLIDER = 3,         // dragging
    SB_PRESS_TRACK_BACK = 4,     // track between the first arrow and the slider
    SB_PRESS_TRACK_FORWARD = 5,  // track between the slider and the second arrow
};

// The bar is vertical when w <= h and horizontal otherwise. Its position `cBlock` runs
// from 0 to `nBlocks`; the slider shows `nSliderBlocks` of `nBlocks`. An arrow moves by
// `Step`, a track press by 5 x `Step` per repeat, a wheel notch by 3 x `Step`. Holding
// Mouse 1 repeats: one step at once, one after 0.5 s, then one every 0.08 s.
// `Scroll` is raised whenever an operation changed `cBlock`, and after every set of
// `cBlock` by name (which is stored as given, not clamped). `MouseDown` is not raised.
//
// ---- using the bar inside another control ------------------------------------------
//
// A control with a scroll bar of its own (a label, a list, a multi-line text box)
// derives from ScrollBar, keeps its scroll state in the inherited fields (usually in
// pixels: `cBlock` = how far the content is scrolled, `nBlocks` = content length minus
// visible length, `nSliderBlocks` = visible length, `Step` = one line or so) and runs
// the bar in a strip of its own rectangle. The strip is given in the same coordinates
// as the control's x and y (relative to the parent); each call puts the strip in place
// of x, y, w, h for its duration and restores them afterwards:
//
//     void MyList::Draw() {
//         ... draw the content, scrolled by cBlock ...
//         if (nBlocks > 0) DrawIn(x + w - barWidth, y, barWidth, h);
//     }
//     void MyList::OnMouseDown(int32_t key) {
//         // the wheel anywhere over the control scrolls; Mouse 1 only on the strip
//         if (nBlocks > 0) MouseDownIn(key, x + w - barWidth, y, barWidth, h);
//         if (key == KEY_MOUSE1 && pressMode == SB_PRESS_NONE) ... own press handling ...
//     }
//     void MyList::Update(float dt) {
//         if (nBlocks > 0) UpdateIn(dt, x + w - barWidth, y, barWidth, h);
//     }
//
// `pressMode` tells whether the bar took the press. Bind `Scroll` (or compare `cBlock`)
// to learn that the content moved. With `nBlocks` 0 the bar draws its slider over the
// whole track and cannot move, so a derived control may simply hide the strip then.
class ScrollBar : public EventControl {
  public:
    float repeatTimer = 0;  // seconds until the next repeat step while held
    float dragOffset = 0;   // pointer distance from the slider's start when a drag began
    uint8_t pressMode = SB_PRESS_NONE;
    PlainHandler scroll = nullptr;                    // `Scroll`, no arguments
    int32_t step = 1;                                 // `Step`
    int32_t nBlocks = 0;                              // `nBlocks`, the largest position
    int32_t nSliderBlocks = 1;                        // `nSliderBlocks`
    float cBlock = 0;                                 // `cBlock`
    Color scrollBarColor = MakeColor(225, 225, 225);  // `ScrollBarColor`
    ScrollBarSkin vskin;                              // `vskin`
    ScrollBarSkin hskin;                              // `hskin`

    void Draw() override;
    void Update(float dt) override;
    void OnMouseDown(int32_t key) override;
    bool SetProperty(const char* prop, const void* value) override;
    int ListProperties(
        PropertyEntry* table) override;          // Step, nBlocks, nSliderBlocks, ScrollBarColor, cBlock, vskin, hskin
    int ListEvents(EventEntry* table) override;  // Scroll + the 13 common events
    void OnDestroy() override {}                 // no `Destroy` event

    // The bar's behaviour run in the strip (sx, sy, sw, sh), given like x and y.
    void DrawIn(float sx, float sy, float sw, float sh);
    void MouseDownIn(int32_t key, float sx, float sy, float sw, float sh);
    void UpdateIn(float dt, float sx, float sy, float sw, float sh);

    // Geometry along the bar, in pixels from its origin (for derived controls and tests).
    struct Geometry {
        bool vertical;
        float thickness, length;  // t and L
        float arrow;              // a: length of each arrow as the track sees it
        float track;              // T = L - 2a
        float slider;             // s: slider length (at least its minimum)
        float sliderStart;        // p
    };
    Geometry Measure() const;

  protected:
    // The bar's own behaviour, whichever rectangle it is in (the strip calls use these,
    // so a derived class that overrides Draw/Update/OnMouseDown still reaches them).
    void BarDraw();
    void BarUpdate(float dt);
    void BarMouseDown(int32_t key);
    const ScrollBarSkin& Skin() const;
    void ClampPosition();

  private:
    // The parts BarDraw draws, back to front.
    void DrawTrack(const Geometry& g, const ScrollBarSkin& skin) const;
    void DrawArrows(const Geometry& g, const ScrollBarSkin& skin) const;
    void DrawPagingShade(const Geometry& g, const ScrollBarSkin& skin) const;
    void DrawSlider(const Geometry& g, const ScrollBarSkin& skin) const;
};

Control* NewScrollBar();
