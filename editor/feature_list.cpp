// feature_list.cpp - the features beside the editing flow, in the order they are told of
// each step: a new feature is one line here, never a call from the flow.
#include <iterator>

#include "editor/box_spelling.h"
#include "editor/conflict/conflict_feature.h"
#include "editor/desk.h"
#include "editor/features.h"
#include "editor/fit/fit_feature.h"
#include "editor/memory/memory_feature.h"
#include "editor/review/review_feature.h"
#include "editor/scale/scale_feature.h"

const Feature* const* Features(size_t& count) {
    static const Feature* const kList[] = {&kDeskFeature,     &kBoxSpellingFeature, &kReviewFeature, &kMemoryFeature,
                                           &kConflictFeature, &kFitFeature,         &kScaleFeature};
    count = std::size(kList);
    return kList;
}
