// The class library's text matcher: set up at start and released at the end. The program
// sets its options but never asks it to match, so only its set-up is here.
#pragma once

namespace library {

class FuzzyMatcher {
 public:
  enum Option { kNoCase = 1, kWordOnly = 2 };

  // Starts the matcher with every option off.
  void Init();
  void SetOption(Option option, bool on);
  bool IsOn(Option option) const;
  bool IsInitialised() const { return initialised_; }
  // Releases the matcher; its options go back to off.
  void Kill();

 private:
  bool initialised_ = false;
  bool no_case_ = false;
  bool word_only_ = false;
};

}  // namespace library
