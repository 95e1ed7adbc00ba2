// The built-in stroke font and the shared text buffer.
//
// Each of the 77 glyphs is a few straight lines in a box one unit tall,
// compiled once into a display list that draws the lines and then moves the
// pen right by the glyph's advance, so a string is just one list call per
// character.
#pragma once

#include <GL/gl.h>

#include <cstdint>

constexpr int kGlyphCount = 77;
constexpr int kGlyphMaxSegments = 6;
constexpr int kTextBufferSize = 256;

// The one text buffer: callers format into it (with snprintf) just before use.
extern char textBuffer[kTextBufferSize];

// The characters that have a glyph; a character's glyph index is its position.
extern const char glyphChars[];
extern const std::int32_t glyphSegmentCount[kGlyphCount];
extern const float glyphAdvance[kGlyphCount];
extern const float glyphSegments[kGlyphCount][kGlyphMaxSegments][4];  // x1, y1, x2, y2

// First of the 77 consecutive display lists; glyph i is list fontListBase + i.
extern GLuint fontListBase;

void compileStrokeFont();
void compileGlyph(int index);

// Draws `textBuffer` from the current origin, `scale` pixels per glyph unit.
// A '^' draws the next character with 2-pixel lines.
void drawText(float scale);
