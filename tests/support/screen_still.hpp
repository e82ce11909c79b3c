#pragma once
// What a window shows on the X screen, taken the way a screenshot tool takes it.

#include <string>

namespace test_support {

// The window's area of the X screen as raw RGB bytes, rows top first; empty when there is no such window
// or ImageMagick's import fails.
std::string screen_still(const std::string& title);

// The variance of the pixels' mean of R, G and B: near 0 for a blank picture.
double luminance_variance(const std::string& rgb);

} // namespace test_support
