// desk_progress.cpp - item states from the texts and the checks, their counts for the
// window title, and the state pictures of the item list.
#include "editor/desk_progress.h"

#include <cmath>

#include "editor/app_icon.h"
#include "editor/qa/qa_checks.h"

ItemState StateOfText(std::string_view text, std::string_view reference, bool referenceIsOther,
                      const qa::LengthLimit& limit, std::string* problems, const std::vector<std::string>& more) {
    if (problems) problems->clear();
    if (qa::IsUntranslated(text, reference, referenceIsOther)) return ItemState::Untranslated;
    std::vector<std::string> found = qa::CheckItem(text, reference, referenceIsOther, limit);
    found.insert(found.end(), more.begin(), more.end());
    if (found.empty()) return ItemState::Translated;
    if (problems)
        for (const std::string& line : found) *problems += (problems->empty() ? "" : "\n") + line;
    return ItemState::Problem;
}

ProgressCounts CountStates(const std::vector<ItemState>& states) {
    ProgressCounts counts;
    counts.items = static_cast<int>(states.size());
    for (const ItemState state : states) {
        counts.translated += state != ItemState::Untranslated;
        counts.problems += state == ItemState::Problem;
    }
    return counts;
}

std::string ProgressTitle(const char* programTitle, const std::string& key, const ProgressCounts& counts,
                          bool unsaved) {
    std::string title = unsaved ? "*" : "";
    title += programTitle;
    if (key.empty()) return title;
    title += " \u2013 " + key + ".loc \u2013 " + std::to_string(counts.translated) + "/" +
             std::to_string(counts.items) + " translated";
    if (counts.toReview > 0) title += ", " + std::to_string(counts.toReview) + " to review";
    if (counts.problems > 0)
        title += ", " + std::to_string(counts.problems) + (counts.problems == 1 ? " problem" : " problems");
    return title;
}

namespace {

constexpr PictureColour kRing{105, 105, 105};
constexpr PictureColour kWhite{255, 255, 255};
constexpr PictureColour kGreen{30, 150, 60};
constexpr PictureColour kOrange{230, 110, 0};
constexpr PictureColour kGold{215, 170, 0};
constexpr PictureColour kBlue{40, 100, 200};
constexpr PictureColour kAmber{215, 150, 0};
constexpr PictureColour kRed{200, 30, 30};

float Distance(float x, float y, float cx, float cy) { return std::hypot(x - cx, y - cy); }

// Distance from (x, y) to the segment (ax, ay) - (bx, by).
float SegmentDistance(float x, float y, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    float t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return Distance(x, y, ax + t * dx, ay + t * dy);
}

bool Untranslated(float x, float y, PictureColour* out) {
    const float d = Distance(x, y, 0.5f, 0.5f);
    if (d > 0.44f) return false;
    *out = d > 0.3f ? kRing : kWhite;
    return true;
}

bool Translated(float x, float y, PictureColour* out) {
    if (Distance(x, y, 0.5f, 0.5f) > 0.46f) return false;
    const float tick =
        std::fmin(SegmentDistance(x, y, 0.27f, 0.5f, 0.43f, 0.68f), SegmentDistance(x, y, 0.43f, 0.68f, 0.74f, 0.32f));
    *out = tick < 0.075f ? kWhite : kGreen;
    return true;
}

bool Approved(float x, float y, PictureColour* out) {
    if (Distance(x, y, 0.5f, 0.5f) > 0.46f) return false;
    if (Distance(x, y, 0.5f, 0.5f) > 0.36f) return *out = kGold, true;
    return Translated(x, y, out);
}

bool NeedsReview(float x, float y, PictureColour* out) {
    if (Distance(x, y, 0.5f, 0.5f) > 0.46f) return false;
    bool dot = false;
    for (const float cx : {0.27f, 0.5f, 0.73f}) dot = dot || Distance(x, y, cx, 0.5f) < 0.08f;
    *out = dot ? kWhite : kBlue;
    return true;
}

bool ReferenceChanged(float x, float y, PictureColour* out) {
    if (Distance(x, y, 0.5f, 0.5f) > 0.46f) return false;
    const bool bars = std::fabs(x - 0.5f) < 0.24f && (std::fabs(y - 0.4f) < 0.05f || std::fabs(y - 0.6f) < 0.05f);
    const bool slash = SegmentDistance(x, y, 0.6f, 0.24f, 0.4f, 0.76f) < 0.05f;
    *out = bars || slash ? kWhite : kAmber;
    return true;
}

bool Conflict(float x, float y, PictureColour* out) {
    if (std::fabs(x - 0.5f) + std::fabs(y - 0.5f) > 0.48f) return false;
    const bool cross = std::fmin(SegmentDistance(x, y, 0.35f, 0.35f, 0.65f, 0.65f),
                                 SegmentDistance(x, y, 0.65f, 0.35f, 0.35f, 0.65f)) < 0.065f;
    *out = cross ? kWhite : kRed;
    return true;
}

bool Problem(float x, float y, PictureColour* out) {
    // A triangle on its base: apex (0.5, 0.06), base from (0.04, 0.92) to (0.96, 0.92).
    if (y > 0.92f || y < 0.06f || std::fabs(x - 0.5f) > (y - 0.06f) * 0.535f) return false;
    const bool bar = std::fabs(x - 0.5f) < 0.07f && y > 0.3f && y < 0.64f;
    const bool dot = std::fabs(x - 0.5f) < 0.07f && y > 0.72f && y < 0.85f;
    *out = bar || dot ? kWhite : kOrange;
    return true;
}

}  // namespace

std::vector<uint8_t> DrawRowMarkIcon(RowMark mark, int size) {
    switch (mark) {
        case RowMark::Approved:
            return DrawSampledPicture(size, Approved);
        case RowMark::Untranslated:
            return DrawSampledPicture(size, Untranslated);
        case RowMark::NeedsReview:
            return DrawSampledPicture(size, NeedsReview);
        case RowMark::ReferenceChanged:
            return DrawSampledPicture(size, ReferenceChanged);
        case RowMark::Problem:
            return DrawSampledPicture(size, Problem);
        case RowMark::Conflict:
            return DrawSampledPicture(size, Conflict);
        case RowMark::Translated:
        case RowMark::Count:
            break;
    }
    return DrawSampledPicture(size, Translated);
}
