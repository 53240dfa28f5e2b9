// Breaks a message's text into lines no wider than a box can show, for a backend that draws
// it in pixels. The text's own line breaks stay.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ui {

// The width of a piece of text as the screen draws it, in pixels.
using TextWidth = std::function<int(std::string_view)>;

// Each line of `text` broken at blanks so that no line is wider than `max_width`; a word
// wider than that by itself (a long path) is broken after a folder separator where one
// fits, else between two characters. The blank at a break is dropped.
std::string WrapText(std::string_view text, int max_width, const TextWidth& width);

}  // namespace ui
