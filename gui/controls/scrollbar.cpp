// scrollbar.cpp - the scroll bar: geometry over the block model, presses on arrows,
// track and slider with auto-repeat and dragging, the wheel, flat and skinned drawing,
// and the strip calls through which derived controls run all of it in their own rectangle.
#include "gui/controls/scrollbar.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "gui/gui.h"
#include "render/texture.h"

namespace {

// While alive, the bar occupies the given strip instead of its own rectangle.
class StripScope {
  public:
    StripScope(Control* c, float sx, float sy, float sw, float sh) : c_(c), x_(c->x), y_(c->y), w_(c->w), h_(c->h) {
        c->x = sx, c->y = sy, c->w = sw, c->h = sh;
    }
    ~StripScope() { c_->x = x_, c_->y = y_, c_->w = w_, c_->h = h_; }
    StripScope(const StripScope&) = delete;
    StripScope& operator=(const StripScope&) = delete;

  private:
    Control* c_;
    float x_, y_, w_, h_;
};

// Turns a rectangle given along and across the bar into one in x and y.
RectF Oriented(bool vertical, float x, float y, float along, float across, float len, float thick) {
    return vertical ? RectF{x + across, y + along, thick, len} : RectF{x + along, y + across, len, thick};
}

bool InPart(bool vertical, float along, float across, float start, float len, float thick) {
    const RectF r = Oriented(vertical, 0, 0, start, 0, len, thick);
    return vertical ? PointInRect(across, along, r.x, r.y, r.w, r.h) : PointInRect(along, across, r.x, r.y, r.w, r.h);
}

// A skin part's own hit test, given the pointer relative to the part's start.
bool CallHit(ScrollBarHitTest hit, bool vertical, float along, float across, float len, float thick) {
    return vertical ? hit(across, along, thick, len) != 0 : hit(along, across, len, thick) != 0;
}

void BlackWithAlphaOf(Color c) { glColor4ub(0, 0, 0, ColorA(c)); }

void FillAndOutline(const RectF& r, Color c) {
    SetColor(c);
    FillRect(r.x, r.y, r.w, r.h);
    BlackWithAlphaOf(c);
    DrawRect(r.x, r.y, r.w, r.h);
}

// One image laid along the bar: the end caps keep their proportions at the bar's
// thickness, the middle is stretched or repeated over what remains. srcAcross and
// acrossSize pick the image column (vertical bar) or row (horizontal bar) to use.
struct StripImage {
    const Surface* image;
    float srcAcross, acrossSize;  // in image pixels, across the bar
    float cap;                    // share of the image's length taken by each cap
    bool tiled;
};

void DrawStripImage(const StripImage& im, bool vertical, float x, float y, float thick, float start, float len) {
    const float imgAlong = vertical ? im.image->height : im.image->width;
    if (im.acrossSize <= 0 || imgAlong <= 0) return;
    auto draw = [&](float srcAlong, float srcLen, float at, float length) {
        const RectF dst = Oriented(vertical, x, y, at, 0, length, thick);
        const RectF* src = vertical ? TempRectF(im.srcAcross, srcAlong, im.acrossSize, srcLen)
                                    : TempRectF(srcAlong, im.srcAcross, srcLen, im.acrossSize);
        DrawSurfaceRect(dst.x, dst.y, dst.w, dst.h, im.image, src);
    };
    const float capSrc = im.cap != 0 ? std::trunc(imgAlong * im.cap) : 0.0f;
    const float capLen = capSrc / im.acrossSize * thick;
    if (im.cap != 0) {
        draw(0, capSrc, start, capLen);
        draw(imgAlong - capSrc, capSrc, start + len - capLen, capLen);
    }
    const float middle = len - 2 * capLen;
    const float srcFrom = imgAlong * im.cap, srcLen = imgAlong * (1 - im.cap) - srcFrom;
    if (middle <= 0 || srcLen <= 0) return;
    if (!im.tiled) {
        draw(srcFrom, srcLen, start + capLen, middle);
        return;
    }
    const int copies = std::max(1, int(middle / (imgAlong * (1 - im.cap))));
    const float each = middle / float(copies);
    for (int i = 0; i < copies; ++i) draw(srcFrom, srcLen, start + capLen + each * float(i), each);
}

}  // namespace

Control* NewScrollBar() { return new ScrollBar; }

const ScrollBarSkin& ScrollBar::Skin() const { return w <= h ? vskin : hskin; }

ScrollBar::Geometry ScrollBar::Measure() const {
    Geometry g{};
    g.vertical = w <= h;
    g.thickness = g.vertical ? w : h;
    g.length = g.vertical ? h : w;
    const ScrollBarSkin& skin = Skin();
    const float t = g.thickness;
    g.arrow = skin.track ? t * skin.arrowLength : t;
    g.track = g.length - 2 * g.arrow;
    float minimum = 10;
    if (skin.slider) {
        float across = g.vertical ? skin.slider->width : skin.slider->height;
        const float along = g.vertical ? skin.slider->height : skin.slider->width;
        if (skin.sliderTwoState) across *= 0.5f;
        if (across > 0) minimum = 2 * (skin.sliderCap / across) * along * t;
    }
    // Without a range there is nothing to scroll: the slider fills the track and
    // stays at its start (the block formulas would divide by zero).
    if (nBlocks > 0) {
        // A view larger than the range it scrolls (a label whose text is less than twice
        // its height) would make a slider longer than its track: it fills the track then.
        g.slider = std::clamp(float(nSliderBlocks) * g.track / float(nBlocks), minimum, std::max(g.track, minimum));
        g.sliderStart = (g.track - g.slider) * cBlock / float(nBlocks) + g.arrow;
    } else {
        g.slider = std::max(g.track, minimum);
        g.sliderStart = g.arrow;
    }
    return g;
}

void ScrollBar::ClampPosition() {
    // A negative nBlocks counts as 0, so the range is never empty.
    const float top = float(std::max(nBlocks, 0));
    if (cBlock > top) cBlock = top;
    if (cBlock < 0) cBlock = 0;
}

// ---- input ------------------------------------------------------------------------------

void ScrollBar::BarMouseDown(int32_t key) {
    const float old = cBlock;
    if (key == KEY_WHEEL_UP) {
        cBlock -= 3.0f * float(step);
        if (cBlock < 0) cBlock = 0;
    } else if (key == KEY_WHEEL_DOWN) {
        cBlock += 3.0f * float(step);
        if (cBlock > float(std::max(nBlocks, 0))) cBlock = float(std::max(nBlocks, 0));
    }
    if (cBlock != old) Raise(scroll);
    if (key != KEY_MOUSE1) return;

    float mx, my;
    MouseLocal(&mx, &my);
    const Geometry g = Measure();
    const bool v = g.vertical;
    const float along = v ? my : mx, across = v ? mx : my, t = g.thickness, L = g.length;
    const ScrollBarSkin& skin = Skin();
    uint8_t mode = SB_PRESS_NONE;

    // Arrows: t long when drawn; with an arrow image as long as the image's proportions
    // make them at the bar's thickness.
    float arrowLen = t;
    if (skin.arrows && skin.arrows->width > 0) arrowLen = t * float(skin.arrows->height) / float(skin.arrows->width);
    const bool skinnedArrows = skin.arrows && skin.arrows->width > 0;
    if (skinnedArrows && skin.firstArrowHit) {
        if (CallHit(skin.firstArrowHit, v, along, across, arrowLen, t)) mode = SB_PRESS_FIRST_ARROW;
    } else if (InPart(v, along, across, 0, arrowLen, t)) {
        mode = SB_PRESS_FIRST_ARROW;
    }
    if (mode == SB_PRESS_NONE) {
        if (skinnedArrows && skin.secondArrowHit) {
            if (CallHit(skin.secondArrowHit, v, along - L + arrowLen, across, arrowLen, t))
                mode = SB_PRESS_SECOND_ARROW;
        } else if (InPart(v, along, across, L - arrowLen, arrowLen, t)) {
            mode = SB_PRESS_SECOND_ARROW;
        }
    }
    if (mode == SB_PRESS_NONE) {
        const bool onSlider = skin.sliderHit ? CallHit(skin.sliderHit, v, along - g.sliderStart, across, g.slider, t)
                                             : InPart(v, along, across, g.sliderStart, g.slider, t);
        if (onSlider) {
            mode = SB_PRESS_SLIDER;
            dragOffset = along - g.sliderStart;
        }
    }
    if (mode == SB_PRESS_NONE && InPart(v, along, across, g.arrow, g.track, t))
        mode = along >= g.sliderStart + 0.5f * g.slider ? SB_PRESS_TRACK_FORWARD : SB_PRESS_TRACK_BACK;
    pressMode = mode;
    // The first step comes in the very next update.
    if (mode != SB_PRESS_NONE) repeatTimer = -1.0f;
}

void ScrollBar::BarUpdate(float dt) {
    if (!IsKeyDown(KEY_MOUSE1) || pressMode == SB_PRESS_NONE) {
        pressMode = SB_PRESS_NONE;
        return;
    }
    const float old = cBlock;
    repeatTimer -= dt;
    if (repeatTimer < dt) {
        switch (pressMode) {
            case SB_PRESS_FIRST_ARROW:
                cBlock -= float(step);
                break;
            case SB_PRESS_SECOND_ARROW:
                cBlock += float(step);
                break;
            case SB_PRESS_TRACK_BACK:
                cBlock -= 5.0f * float(step);
                break;
            case SB_PRESS_TRACK_FORWARD:
                cBlock += 5.0f * float(step);
                break;
            default:
                break;
        }
        // A timer still at the press value means this was the first step.
        repeatTimer = repeatTimer <= -1.0f ? 0.5f : 0.08f;
    }
    if (pressMode >= SB_PRESS_SLIDER) {
        const Geometry g = Measure();
        if (g.track - g.slider > 0) {
            float mx, my;
            MouseLocal(&mx, &my);
            const float along = g.vertical ? my : mx, across = g.vertical ? mx : my;
            if (pressMode == SB_PRESS_SLIDER) {
                cBlock = (along - g.arrow - dragOffset) * float(nBlocks) / (g.track - g.slider);
            } else if (InPart(g.vertical, along, across, g.sliderStart, g.slider, g.thickness)) {
                pressMode = SB_PRESS_NONE;  // paging stops once the slider reaches the pointer
            }
        }
    }
    ClampPosition();
    if (cBlock != old) {
        GuiKeepDrawing();  // this frame was drawn before the step
        Raise(scroll);
    }
    // The next repeat step is due when the timer runs out (a dragged slider follows the
    // pointer's own messages instead).
    if (pressMode != SB_PRESS_NONE && pressMode != SB_PRESS_SLIDER) GuiWakeIn(repeatTimer);
}

// ---- drawing ----------------------------------------------------------------------------

void ScrollBar::BarDraw() {
    if (MouseInside()) SetPointerKind(POINTER_ARROW);
    const Geometry g = Measure();
    const ScrollBarSkin& skin = Skin();
    glColor4ub(255, 255, 255, 255);
    DrawTrack(g, skin);
    DrawArrows(g, skin);
    DrawPagingShade(g, skin);
    DrawSlider(g, skin);
}

// The track between the arrows: the skin's strip, or a plain box in the bar's colour.
void ScrollBar::DrawTrack(const Geometry& g, const ScrollBarSkin& skin) const {
    const bool v = g.vertical;
    const float t = g.thickness, L = g.length;
    if (!skin.track) {
        FillAndOutline(Oriented(v, x, y, t, 0, L - 2 * t, t), scrollBarColor);
        return;
    }
    StripImage im{skin.track, 0, float(v ? skin.track->width : skin.track->height), skin.trackCap,
                  skin.trackTiled != 0};
    const float f = skin.arrowLength * t;
    DrawStripImage(im, v, x, y, t, f, L - 2 * f);
}

// The two arrows: the skin's picture (a 2 x 2 sheet, pressed on the right, second
// arrow below), or a box with a triangle that points outwards.
void ScrollBar::DrawArrows(const Geometry& g, const ScrollBarSkin& skin) const {
    const bool v = g.vertical;
    const float t = g.thickness, L = g.length;
    const Color shade = scrollBarColor;
    const bool skinnedArrows = skin.arrows && skin.arrows->width > 0;
    for (int second = 0; second < 2; ++second) {
        const bool pressed = pressMode == (second ? SB_PRESS_SECOND_ARROW : SB_PRESS_FIRST_ARROW);
        if (skinnedArrows) {
            const Surface* a = skin.arrows;
            const float len = t * float(a->height) / float(a->width);
            const RectF r = Oriented(v, x, y, second ? L - len : 0, 0, len, t);
            const int16_t cw = int16_t(a->width / 2), ch = int16_t(a->height / 2);
            glColor4ub(255, 255, 255, 255);
            DrawSurface(r.x, r.y, r.w, r.h, a, TempRect(pressed ? cw : 0, second ? ch : 0, cw, ch));
            continue;
        }
        FillAndOutline(Oriented(v, x, y, second ? L - t : 0, 0, t, t), shade);
        // The triangle points outwards and moves one pixel that way while held.
        const float k = pressed ? 1.0f : 0.0f;
        const float tip = second ? L - 0.25f * t + k : 0.25f * t - k;
        const float base = second ? L - 0.75f * t + k : 0.75f * t - k;
        const float pts[3][2] = {{tip, 0.5f * t}, {base, 0.25f * t}, {base, 0.75f * t}};
        const bool textured = glIsEnabled(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_2D);
        BlackWithAlphaOf(shade);
        for (GLenum mode : {GLenum(GL_TRIANGLES), GLenum(GL_LINE_LOOP)}) {
            glBegin(mode);
            for (const auto& p : pts) v ? glVertex2f(x + p[1], y + p[0]) : glVertex2f(x + p[0], y + p[1]);
            glEnd();
        }
        if (textured) glEnable(GL_TEXTURE_2D);
    }
}

// While paging, the held part of the track (from the slider's middle to the arrow
// paged towards) is shaded.
void ScrollBar::DrawPagingShade(const Geometry& g, const ScrollBarSkin& skin) const {
    if (pressMode != SB_PRESS_TRACK_BACK && pressMode != SB_PRESS_TRACK_FORWARD) return;
    const bool v = g.vertical;
    const float t = g.thickness, L = g.length;
    const float middle = g.sliderStart + 0.5f * g.slider;
    const bool back = pressMode == SB_PRESS_TRACK_BACK;
    if (skin.track) {
        // Plane 5: the GUI keeps planes 0 to 3 for clipping to the ancestors.
        const double d = double(v ? y : x) + middle;
        const GLdouble eq[4] = {v ? 0.0 : (back ? -1.0 : 1.0), v ? (back ? -1.0 : 1.0) : 0.0, 0, back ? d : -d};
        glClipPlane(GL_CLIP_PLANE5, eq);
        glEnable(GL_CLIP_PLANE5);
        glColor4ub(0, 0, 0, 128);
        DrawTrack(g, skin);
        glDisable(GL_CLIP_PLANE5);
    } else {
        BlackWithAlphaOf(scrollBarColor);
        const float from = back ? t : middle, to = back ? middle : L - t;
        const RectF r = Oriented(v, x, y, from, 0, to - from, t);
        FillRect(r.x, r.y, r.w, r.h);
    }
}

// The slider: the skin's strip (its second half while dragged, for a two-state skin),
// or a box in the bar's colour at half brightness.
void ScrollBar::DrawSlider(const Geometry& g, const ScrollBarSkin& skin) const {
    const bool v = g.vertical;
    const float t = g.thickness;
    if (skin.slider) {
        const float across = float(v ? skin.slider->width : skin.slider->height);
        const bool two = skin.sliderTwoState != 0;
        const float half = two ? across * 0.5f : across;
        StripImage im{skin.slider, two && pressMode == SB_PRESS_SLIDER ? half : 0.0f, half, skin.sliderCap,
                      skin.sliderTiled != 0};
        glColor4ub(255, 255, 255, 255);
        DrawStripImage(im, v, x, y, t, g.sliderStart, g.slider);
    } else {
        const Color shade = scrollBarColor;
        const Color dim = (shade & 0xFF000000u) | ((shade >> 1) & 0x007F7F7Fu);
        FillAndOutline(Oriented(v, x, y, g.sliderStart, 0, g.slider, t), dim);
    }
}

// ---- the control --------------------------------------------------------------------------

void ScrollBar::Draw() { BarDraw(); }
void ScrollBar::Update(float dt) { BarUpdate(dt); }
void ScrollBar::OnMouseDown(int32_t key) { BarMouseDown(key); }

void ScrollBar::DrawIn(float sx, float sy, float sw, float sh) {
    StripScope strip(this, sx, sy, sw, sh);
    BarDraw();
}

void ScrollBar::MouseDownIn(int32_t key, float sx, float sy, float sw, float sh) {
    StripScope strip(this, sx, sy, sw, sh);
    BarMouseDown(key);
}

void ScrollBar::UpdateIn(float dt, float sx, float sy, float sw, float sh) {
    StripScope strip(this, sx, sy, sw, sh);
    BarUpdate(dt);
}

bool ScrollBar::SetProperty(const char* prop, const void* value) {
    if (std::strcmp(prop, "cBlock") == 0) {
        // Stored as given: a caller may place the bar before it sets the range.
        if (value) std::memcpy(&cBlock, value, sizeof cBlock);
        Raise(scroll);
        return true;
    }
    return EventControl::SetProperty(prop, value);
}

int ScrollBar::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Step", PROP_INT, nullptr, &step);
    list.Add("nBlocks", PROP_INT, nullptr, &nBlocks);
    list.Add("nSliderBlocks", PROP_INT, nullptr, &nSliderBlocks);
    list.Add("ScrollBarColor", PROP_COLOR, nullptr, &scrollBarColor);
    list.Add("cBlock", PROP_FLOAT, nullptr, &cBlock);
    list.Add("vskin", PROP_SCROLLBARSKIN, nullptr, &vskin);
    list.Add("hskin", PROP_SCROLLBARSKIN, nullptr, &hskin);
    return list.count + EventControl::ListProperties(list.Rest());
}

int ScrollBar::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Scroll", &scroll);
    return list.count + EventControl::ListEvents(list.Rest());
}
