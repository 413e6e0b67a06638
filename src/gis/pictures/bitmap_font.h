// A small built-in bitmap font for the text of pictures: no font file to find or load.
#ifndef TARVEX_GIS_BITMAP_FONT_H
#define TARVEX_GIS_BITMAP_FONT_H

#include <array>
#include <cstdint>

// Each character is 5 pixels wide and 8 high: rows 0 to 6 stand on the baseline, row 7 holds
// the descenders. A line of text advances 6 pixels a character.
inline constexpr int kGlyphWidth = 5, kGlyphHeight = 8, kGlyphAdvance = 6;

// The rows of a character, bit 4 the leftmost pixel. ASCII letters, digits, space and common
// punctuation have their own shape; any other character is drawn as '?'.
using Glyph = std::array<std::uint8_t, kGlyphHeight>;
const Glyph& glyph(char c);

#endif
