// line_layout.cpp - caret places, clicks, steps and spans over a line's cells in visual
// order. LayOutLine and DrawLine live in text.cpp, beside the drawer they follow.
#include "render/line_layout.h"

#include <algorithm>
#include <cmath>

namespace layout {

namespace {

// Two x within this are one place.
constexpr float kSame = 0.01f;

// A cell's edge where the caret stands before it in logical order, and after it.
float Leading(const Cell& c) { return c.rightToLeft ? c.x1 : c.x0; }
float Trailing(const Cell& c) { return c.rightToLeft ? c.x0 : c.x1; }

// The places at a cell's left and right edges.
Place LeftEdge(const Cell& c) { return c.rightToLeft ? Place{c.x0, c.end, true} : Place{c.x0, c.begin, false}; }
Place RightEdge(const Cell& c) { return c.rightToLeft ? Place{c.x1, c.begin, false} : Place{c.x1, c.end, true}; }

// A wrapped line's end offset is drawn on the next line: no place of this one.
bool Allowed(const Line& line, const Place& p) { return line.endIsCaretPlace || p.at != line.end; }

}  // namespace

float CaretX(const Line& line, uint32_t at, bool withPrevious) {
    if (line.cells.empty()) return line.origin;
    if (withPrevious)
        for (const Cell& c : line.cells)
            if (c.end == at && c.begin < at) return Trailing(c);
    // The cell that starts at `at`, else the one it falls inside (a ligature, a base with
    // its marks: the caret goes part of the way across), else the first one after it in
    // logical order.
    const Cell* next = nullptr;
    const Cell* last = nullptr;
    for (const Cell& c : line.cells) {
        if (c.begin == at) return Leading(c);
        if (c.begin < at && at < c.end) {
            const float part = float(at - c.begin) / float(c.end - c.begin);
            return Leading(c) + (Trailing(c) - Leading(c)) * part;
        }
        if (c.begin > at && (!next || c.begin < next->begin)) next = &c;
        if (!last || c.end > last->end) last = &c;
    }
    return next ? Leading(*next) : Trailing(*last);
}

Place PlaceAtX(const Line& line, float x) {
    Place best{line.origin, line.begin, false};
    bool found = false;
    auto consider = [&](const Place& p) {
        if (!Allowed(line, p) || (found && std::fabs(p.x - x) >= std::fabs(best.x - x))) return;
        best = p, found = true;
    };
    for (const Cell& c : line.cells) consider(LeftEdge(c)), consider(RightEdge(c));
    return best;
}

bool StepOnScreen(const Line& line, uint32_t at, bool withPrevious, bool toLeft, Place& out) {
    // Every place but the line's left end is some cell's right edge, and every place but
    // its right end some cell's left edge: stepping right lands on the right edge of the
    // character crossed, stepping left on its left edge.
    const float from = CaretX(line, at, withPrevious);
    bool found = false;
    for (const Cell& c : line.cells) {
        const Place p = toLeft ? LeftEdge(c) : RightEdge(c);
        if (!Allowed(line, p) || (toLeft ? p.x >= from - kSame : p.x <= from + kSame)) continue;
        if (!found || (toLeft ? p.x > out.x : p.x < out.x)) out = p, found = true;
    }
    return found;
}

Place LineEndOnScreen(const Line& line, bool left) {
    Place best{line.origin, line.begin, false};
    bool found = false;
    for (const Cell& c : line.cells)
        for (const Place& p : {LeftEdge(c), RightEdge(c)})
            if (Allowed(line, p) && (!found || (left ? p.x < best.x : p.x > best.x))) best = p, found = true;
    return best;
}

void Spans(const Line& line, uint32_t a, uint32_t b, std::vector<std::pair<float, float>>& out) {
    out.clear();
    for (const Cell& c : line.cells) {
        if (c.end <= a || c.begin >= b) continue;
        if (!out.empty() && std::fabs(out.back().second - c.x0) < kSame)
            out.back().second = c.x1;
        else
            out.emplace_back(c.x0, c.x1);
    }
}

}  // namespace layout
