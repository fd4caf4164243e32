#pragma once

#include <QtGlobal>

#include <array>

// The sample pages draw their text with this built-in 5 x 8 bitmap font rather than a system font,
// so a page renders to the same pixels on every machine, with or without a display.
namespace TeletextFont
{

inline constexpr int GlyphWidth = 5;
// Capitals take the first seven rows; the eighth holds descenders.
inline constexpr int GlyphHeight = 8;

// One row per element, the leftmost pixel in bit 4.
using Glyph = std::array<quint8, GlyphHeight>;

// The glyph of a character; characters the font lacks are drawn as '?'.
const Glyph &glyph(char16_t ch);

// Whether the font has a glyph of its own for the character.
bool hasGlyph(char16_t ch);

} // namespace TeletextFont
