// The stroke font: 77 glyphs of straight lines, each compiled once into a
// display list that draws its lines and then moves the pen right by the
// glyph's advance.
//
// The glyphs live in one table, a row per glyph, so the font can be read and
// checked by eye. The table is written once and expanded three times into the
// three constant arrays the rest of the game reads (segment count, advance,
// segment slots): a row can never disagree with itself.
#include "stroke_font.h"

char textBuffer[kTextBufferSize];

GLuint fontListBase = 0;

constexpr char glyphChars[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,!?()+-*_:'/%";
static_assert(sizeof(glyphChars) == kGlyphCount + 1, "one character per glyph");

// Glyph units: baseline at y 0, capitals and digits 1.0 tall, x within 0..0.6.
// GLYPH(advance, segments); S(x1, y1, x2, y2) is one line, in drawing order.
// clang-format off
#define KESSARY_GLYPH_TABLE(GLYPH) \
    /*  0 a     */ GLYPH(0.7, S( 0.0, 0.1, 0.0, 0.7) S( 0.5, 0.0, 0.5, 0.7) S( 0.0, 0.7, 0.5, 0.7) S( 0.0, 0.1, 0.5, 0.1))                                               \
    /*  1 b     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.6, 0.5, 0.6) S( 0.0, 0.1, 0.5, 0.1) S( 0.5, 0.1, 0.5, 0.6))                                               \
    /*  2 c     */ GLYPH(0.7, S( 0.0, 0.1, 0.0, 0.7) S( 0.0, 0.1, 0.5, 0.1) S( 0.0, 0.7, 0.5, 0.7))                                                                      \
    /*  3 d     */ GLYPH(0.7, S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 0.6, 0.5, 0.6) S( 0.0, 0.1, 0.5, 0.1) S( 0.0, 0.1, 0.0, 0.6))                                               \
    /*  4 e     */ GLYPH(0.7, S( 0.0, 0.1, 0.0, 0.7) S( 0.0, 0.1, 0.5, 0.1) S( 0.0, 0.4, 0.5, 0.4) S( 0.0, 0.7, 0.5, 0.7) S( 0.5, 0.4, 0.5, 0.7))                        \
    /*  5 f     */ GLYPH(0.5, S( 0.2, 0.0, 0.2, 1.0) S( 0.0, 0.0, 0.2, 0.0) S( 0.2, 1.0, 0.4, 1.0) S( 0.0, 0.5, 0.4, 0.5))                                               \
    /*  6 g     */ GLYPH(0.6, S( 0.0, 0.3, 0.0, 0.7) S( 0.0,-0.1, 0.4,-0.1) S( 0.0, 0.3, 0.4, 0.3) S( 0.0, 0.7, 0.4, 0.7) S( 0.4,-0.1, 0.4, 0.7))                        \
    /*  7 h     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.5, 0.0, 0.5, 0.5) S( 0.0, 0.5, 0.5, 0.5))                                                                      \
    /*  8 i     */ GLYPH(0.3, S( 0.1, 0.1, 0.1, 0.7) S( 0.0, 0.9, 0.2, 0.9))                                                                                             \
    /*  9 j     */ GLYPH(0.4, S( 0.2,-0.1, 0.2, 0.7) S( 0.1, 0.8, 0.3, 0.8) S( 0.0,-0.1, 0.2,-0.1) S( 0.0,-0.1, 0.0, 0.3))                                               \
    /* 10 k     */ GLYPH(0.6, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.3, 0.4, 0.0) S( 0.0, 0.3, 0.4, 0.6))                                                                      \
    /* 11 l     */ GLYPH(0.4, S( 0.1, 0.0, 0.1, 1.0) S( 0.0, 0.0, 0.2, 0.0) S( 0.0, 1.0, 0.1, 1.0))                                                                      \
    /* 12 m     */ GLYPH(0.8, S( 0.0, 0.1, 0.0, 0.8) S( 0.3, 0.1, 0.3, 0.7) S( 0.6, 0.1, 0.6, 0.7) S( 0.0, 0.7, 0.6, 0.7))                                               \
    /* 13 n     */ GLYPH(0.6, S( 0.0, 0.1, 0.0, 0.8) S( 0.4, 0.1, 0.4, 0.7) S( 0.0, 0.7, 0.4, 0.7))                                                                      \
    /* 14 o     */ GLYPH(0.6, S( 0.0, 0.1, 0.0, 0.7) S( 0.0, 0.1, 0.4, 0.1) S( 0.0, 0.7, 0.4, 0.7) S( 0.4, 0.1, 0.4, 0.7))                                               \
    /* 15 p     */ GLYPH(0.7, S( 0.0,-0.1, 0.0, 0.7) S( 0.0, 0.3, 0.5, 0.3) S( 0.0, 0.7, 0.5, 0.7) S( 0.5, 0.7, 0.5, 0.3))                                               \
    /* 16 q     */ GLYPH(0.7, S( 0.0, 0.3, 0.0, 0.7) S( 0.0, 0.3, 0.5, 0.3) S( 0.0, 0.7, 0.5, 0.7) S( 0.5,-0.1, 0.5, 0.7))                                               \
    /* 17 r     */ GLYPH(0.7, S( 0.0, 0.1, 0.0, 0.8) S( 0.0, 0.7, 0.5, 0.7) S( 0.5, 0.4, 0.5, 0.7))                                                                      \
    /* 18 s     */ GLYPH(0.7, S( 0.0, 0.1, 0.5, 0.1) S( 0.5, 0.1, 0.5, 0.4) S( 0.0, 0.4, 0.5, 0.4) S( 0.0, 0.7, 0.0, 0.4) S( 0.0, 0.7, 0.5, 0.7))                        \
    /* 19 t     */ GLYPH(0.4, S( 0.1, 0.0, 0.1, 1.0) S( 0.0, 0.6, 0.3, 0.6) S( 0.1, 0.0, 0.2, 0.0))                                                                      \
    /* 20 u     */ GLYPH(0.7, S( 0.0, 0.1, 0.0, 0.7) S( 0.0, 0.1, 0.5, 0.1) S( 0.5, 0.1, 0.5, 0.7))                                                                      \
    /* 21 v     */ GLYPH(0.6, S( 0.2, 0.1, 0.0, 0.7) S( 0.2, 0.1, 0.5, 0.7))                                                                                             \
    /* 22 w     */ GLYPH(0.8, S( 0.0, 0.1, 0.0, 0.7) S( 0.3, 0.1, 0.3, 0.7) S( 0.6, 0.1, 0.6, 0.7) S( 0.0, 0.1, 0.6, 0.1))                                               \
    /* 23 x     */ GLYPH(0.5, S( 0.0, 0.1, 0.4, 0.7) S( 0.0, 0.7, 0.4, 0.1))                                                                                             \
    /* 24 y     */ GLYPH(0.7, S( 0.0,-0.1, 0.5,-0.1) S( 0.0, 0.1, 0.5, 0.1) S( 0.0, 0.1, 0.0, 0.7) S( 0.5,-0.1, 0.5, 0.7))                                               \
    /* 25 z     */ GLYPH(0.7, S( 0.0, 0.1, 0.5, 0.1) S( 0.0, 0.1, 0.5, 0.7) S( 0.0, 0.7, 0.5, 0.7) S( 0.1, 0.4, 0.4, 0.4))                                               \
    /* 26 A     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 1.0) S( 0.0, 0.5, 0.5, 0.5))                                               \
    /* 27 B     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 0.0, 0.5, 0.0) S( 0.5, 0.0, 0.5, 0.5) S( 0.0, 1.0, 0.4, 1.0) S( 0.4, 0.5, 0.4, 1.0)) \
    /* 28 C     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 1.0, 0.5, 1.0))                                                                      \
    /* 29 D     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.1, 0.5, 0.1) S( 0.0, 0.9, 0.5, 0.9) S( 0.5, 0.1, 0.5, 0.9))                                               \
    /* 30 E     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 1.0, 0.5, 1.0))                                               \
    /* 31 F     */ GLYPH(0.6, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.5, 0.4, 0.5) S( 0.0, 1.0, 0.5, 1.0))                                                                      \
    /* 32 G     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 1.0, 0.5, 1.0) S( 0.5, 0.0, 0.5, 0.4) S( 0.3, 0.4, 0.5, 0.4))                        \
    /* 33 H     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 0.5, 0.5, 0.5))                                                                      \
    /* 34 I     */ GLYPH(0.6, S( 0.0, 0.0, 0.4, 0.0) S( 0.2, 0.0, 0.2, 1.0) S( 0.0, 1.0, 0.4, 1.0))                                                                      \
    /* 35 J     */ GLYPH(0.7, S( 0.0, 1.0, 0.5, 1.0) S( 0.3, 0.0, 0.3, 1.0) S( 0.0, 0.0, 0.3, 0.0) S( 0.0, 0.0, 0.0, 0.3))                                               \
    /* 36 K     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.5, 0.5, 0.0) S( 0.0, 0.5, 0.5, 1.0))                                                                      \
    /* 37 L     */ GLYPH(0.6, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.4, 0.0))                                                                                             \
    /* 38 M     */ GLYPH(0.8, S( 0.0, 0.0, 0.0, 1.0) S( 0.3, 0.0, 0.3, 1.0) S( 0.6, 0.0, 0.6, 1.0) S( 0.0, 1.0, 0.6, 1.0))                                               \
    /* 39 N     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 0.0))                                                                      \
    /* 40 O     */ GLYPH(0.6, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.4, 0.0) S( 0.0, 1.0, 0.4, 1.0) S( 0.4, 0.0, 0.4, 1.0))                                               \
    /* 41 P     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 1.0, 0.5, 1.0) S( 0.5, 1.0, 0.5, 0.5))                                               \
    /* 42 Q     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.4, 0.0) S( 0.0, 1.0, 0.4, 1.0) S( 0.4, 0.0, 0.4, 1.0) S( 0.2, 0.2, 0.6, 0.2))                        \
    /* 43 R     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 1.0, 0.5, 1.0) S( 0.5, 1.0, 0.5, 0.5) S( 0.2, 0.5, 0.5, 0.0))                        \
    /* 44 S     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 0.0) S( 0.5, 0.0, 0.5, 0.5) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 1.0, 0.0, 0.5) S( 0.0, 1.0, 0.5, 1.0))                        \
    /* 45 T     */ GLYPH(0.7, S( 0.0, 1.0, 0.5, 1.0) S( 0.2, 0.0, 0.2, 1.0))                                                                                             \
    /* 46 U     */ GLYPH(0.7, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.5, 0.0) S( 0.5, 0.0, 0.5, 1.0))                                                                      \
    /* 47 V     */ GLYPH(0.7, S( 0.2, 0.0, 0.0, 1.0) S( 0.2, 0.0, 0.5, 1.0))                                                                                             \
    /* 48 W     */ GLYPH(0.8, S( 0.0, 0.0, 0.0, 1.0) S( 0.3, 0.0, 0.3, 1.0) S( 0.6, 0.0, 0.6, 1.0) S( 0.0, 0.0, 0.6, 0.0))                                               \
    /* 49 X     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 0.0))                                                                                             \
    /* 50 Y     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 0.0) S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 0.5, 0.0, 1.0))                                               \
    /* 51 Z     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 1.0))                                                                      \
    /* 52 0     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 0.0, 0.0, 1.0) S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 1.0) S( 0.0, 0.0, 0.5, 1.0))                        \
    /* 53 1     */ GLYPH(0.3, S( 0.1, 0.0, 0.1, 1.0) S( 0.0, 1.0, 0.1, 0.9))                                                                                             \
    /* 54 2     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 0.0, 0.0, 0.5) S( 0.0, 0.5, 0.5, 0.5) S( 0.5, 1.0, 0.5, 0.5) S( 0.0, 1.0, 0.5, 1.0))                        \
    /* 55 3     */ GLYPH(0.7, S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 1.0, 0.5, 1.0))                                               \
    /* 56 4     */ GLYPH(0.7, S( 0.4, 0.0, 0.4, 1.0) S( 0.4, 1.0, 0.0, 0.2) S( 0.0, 0.2, 0.5, 0.2))                                                                      \
    /* 57 5     */ GLYPH(0.7, S( 0.0, 0.0, 0.5, 0.0) S( 0.5, 0.0, 0.5, 0.5) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 1.0, 0.0, 0.5) S( 0.0, 1.0, 0.5, 1.0))                        \
    /* 58 6     */ GLYPH(0.7, S( 0.0, 1.0, 0.5, 1.0) S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.5, 0.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.5, 0.0, 0.5, 0.5))                        \
    /* 59 7     */ GLYPH(0.7, S( 0.0, 1.0, 0.5, 1.0) S( 0.0, 0.0, 0.5, 1.0))                                                                                             \
    /* 60 8     */ GLYPH(0.7, S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 1.0) S( 0.0, 1.0, 0.0, 0.0) S( 0.0, 0.5, 0.5, 0.5) S( 0.0, 0.0, 0.5, 0.0))                        \
    /* 61 9     */ GLYPH(0.7, S( 0.5, 0.0, 0.5, 1.0) S( 0.0, 1.0, 0.5, 1.0) S( 0.0, 1.0, 0.0, 0.5) S( 0.0, 0.5, 0.5, 0.5))                                               \
    /* 62 space */ GLYPH(0.6, /* none */)                                                                                                                                \
    /* 63 .     */ GLYPH(0.3, S( 0.1, 0.0, 0.1, 0.1))                                                                                                                    \
    /* 64 ,     */ GLYPH(0.3, S( 0.0, 0.0, 0.1, 0.1) S( 0.1, 0.1, 0.1, 0.2))                                                                                             \
    /* 65 !     */ GLYPH(0.3, S( 0.0, 0.2, 0.0, 1.0) S( 0.0, 0.0, 0.0, 0.1))                                                                                             \
    /* 66 ?     */ GLYPH(0.6, S( 0.0, 1.0, 0.4, 1.0) S( 0.4, 1.0, 0.4, 0.4) S( 0.4, 0.4, 0.2, 0.4) S( 0.2, 0.4, 0.2, 0.2) S( 0.2, 0.0, 0.2, 0.1))                        \
    /* 67 (     */ GLYPH(0.4, S( 0.0, 0.0, 0.0, 1.0) S( 0.0, 0.0, 0.2, 0.0) S( 0.0, 1.0, 0.2, 1.0))                                                                      \
    /* 68 )     */ GLYPH(0.4, S( 0.2, 0.0, 0.2, 1.0) S( 0.0, 0.0, 0.2, 0.0) S( 0.0, 1.0, 0.2, 1.0))                                                                      \
    /* 69 +     */ GLYPH(0.6, S( 0.0, 0.4, 0.4, 0.4) S( 0.2, 0.2, 0.2, 0.6))                                                                                             \
    /* 70 -     */ GLYPH(0.6, S( 0.0, 0.4, 0.4, 0.4))                                                                                                                    \
    /* 71 *     */ GLYPH(0.6, S( 0.0, 0.4, 0.4, 0.4) S( 0.2, 0.2, 0.2, 0.6) S( 0.0, 0.2, 0.4, 0.6) S( 0.4, 0.2, 0.0, 0.6))                                               \
    /* 72 _     */ GLYPH(0.6, S( 0.0, 0.0, 0.4, 0.0))                                                                                                                    \
    /* 73 :     */ GLYPH(0.3, S( 0.1, 0.1, 0.1, 0.2) S( 0.1, 0.8, 0.1, 0.9))                                                                                             \
    /* 74 '     */ GLYPH(0.2, S( 0.0, 0.8, 0.1, 1.0))                                                                                                                    \
    /* 75 /     */ GLYPH(0.5, S( 0.0, 0.0, 0.3, 1.0))                                                                                                                    \
    /* 76 %     */ GLYPH(0.7, S( 0.0, 0.1, 0.5, 0.9) S( 0.0, 0.8, 0.1, 0.7) S( 0.4, 0.3, 0.5, 0.2))
// clang-format on

#define KESSARY_GLYPH_COUNT(advance, segments) (0 segments),
#define KESSARY_GLYPH_ADVANCE(advance, segments) advance##f,
#define KESSARY_GLYPH_SLOTS(advance, segments) {segments},

#define S(x1, y1, x2, y2) +1
const std::int32_t glyphSegmentCount[kGlyphCount] = {KESSARY_GLYPH_TABLE(KESSARY_GLYPH_COUNT)};
#undef S

const float glyphAdvance[kGlyphCount] = {KESSARY_GLYPH_TABLE(KESSARY_GLYPH_ADVANCE)};

#define S(x1, y1, x2, y2) {x1##f, y1##f, x2##f, y2##f},
const float glyphSegments[kGlyphCount][kGlyphMaxSegments][4] = {
    KESSARY_GLYPH_TABLE(KESSARY_GLYPH_SLOTS)};
#undef S

#undef KESSARY_GLYPH_SLOTS
#undef KESSARY_GLYPH_ADVANCE
#undef KESSARY_GLYPH_COUNT
#undef KESSARY_GLYPH_TABLE

namespace {

constexpr char kWideMark = '^';  // draws the next character with wide lines
constexpr GLfloat kWideLineWidth = 2.0f;
constexpr GLfloat kNormalLineWidth = 1.0f;

constexpr int kByteValues = 256;

// The glyph index of every byte, -1 where the font has none: the search of
// glyphChars from its start, done once while compiling instead of for every
// character of every frame. Filled from the back, so the first position wins.
struct GlyphLookup {
    std::int8_t index[kByteValues];
};
constexpr GlyphLookup makeGlyphLookup() {
    GlyphLookup lookup{};
    for (std::int8_t& index : lookup.index) {
        index = -1;
    }
    for (int i = kGlyphCount - 1; i >= 0; --i) {
        lookup.index[static_cast<unsigned char>(glyphChars[i])] = static_cast<std::int8_t>(i);
    }
    return lookup;
}
constexpr GlyphLookup kGlyphLookup = makeGlyphLookup();

// The glyph index of `c`, or -1 when the font has no glyph for it.
int glyphIndex(char c) {
    return kGlyphLookup.index[static_cast<unsigned char>(c)];
}

}  // namespace

void compileStrokeFont() {
    fontListBase = glGenLists(kGlyphCount);
    for (int i = 0; i < kGlyphCount; ++i) {
        glNewList(fontListBase + i, GL_COMPILE);
        compileGlyph(i);
        glEndList();
    }
}

void compileGlyph(int index) {
    glBegin(GL_LINES);
    for (int s = 0; s < glyphSegmentCount[index]; ++s) {
        const float* line = glyphSegments[index][s];
        glVertex2f(line[0], line[1]);
        glVertex2f(line[2], line[3]);
    }
    glEnd();
    glTranslatef(glyphAdvance[index], 0.0f, 0.0f);
}

void drawText(float scale) {
    glPushMatrix();
    glScalef(scale, scale, 1.0f);
    // The width goes back to 1 after the marked character, not to whatever
    // the caller had: the mark is for text drawn at the normal width.
    bool wide = false;
    // An unterminated buffer ends at its last byte.
    const char* const end = textBuffer + kTextBufferSize;
    for (const char* c = textBuffer; c < end && *c != '\0'; ++c) {
        if (*c == kWideMark) {
            glLineWidth(kWideLineWidth);
            wide = true;
            continue;
        }
        const int index = glyphIndex(*c);
        if (index >= 0) {
            glCallList(fontListBase + index);
        }
        if (wide) {
            glLineWidth(kNormalLineWidth);
            wide = false;
        }
    }
    if (wide) {
        glLineWidth(kNormalLineWidth);
    }
    glPopMatrix();
}
