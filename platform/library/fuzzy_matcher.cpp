#include "platform/library/fuzzy_matcher.h"

namespace library {

void FuzzyMatcher::Init() {
  initialised_ = true;
  no_case_ = false;
  word_only_ = false;
}

void FuzzyMatcher::SetOption(Option option, bool on) {
  (option == kNoCase ? no_case_ : word_only_) = on;
}

bool FuzzyMatcher::IsOn(Option option) const { return option == kNoCase ? no_case_ : word_only_; }

void FuzzyMatcher::Kill() {
  initialised_ = false;
  no_case_ = false;
  word_only_ = false;
}

}  // namespace library
