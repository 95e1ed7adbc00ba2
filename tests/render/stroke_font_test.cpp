// The stroke font: the glyph table against the font's design, the display
// lists built from it, and how drawText lays out and marks a string.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "render_test_support.h"

using namespace rendertest;

namespace {

// The font's design, written out independently of the source table: each row
// is the character (or "space"), its advance, then x1 y1 x2 y2 per line.
// clang-format off
const char* const kGlyphDesign = R"(
    a      0.7 0.0 0.1 0.0 0.7  0.5 0.0 0.5 0.7  0.0 0.7 0.5 0.7  0.0 0.1 0.5 0.1
    b      0.7 0.0 0.0 0.0 1.0  0.0 0.6 0.5 0.6  0.0 0.1 0.5 0.1  0.5 0.1 0.5 0.6
    c      0.7 0.0 0.1 0.0 0.7  0.0 0.1 0.5 0.1  0.0 0.7 0.5 0.7
    d      0.7 0.5 0.0 0.5 1.0  0.0 0.6 0.5 0.6  0.0 0.1 0.5 0.1  0.0 0.1 0.0 0.6
    e      0.7 0.0 0.1 0.0 0.7  0.0 0.1 0.5 0.1  0.0 0.4 0.5 0.4  0.0 0.7 0.5 0.7  0.5 0.4 0.5 0.7
    f      0.5 0.2 0.0 0.2 1.0  0.0 0.0 0.2 0.0  0.2 1.0 0.4 1.0  0.0 0.5 0.4 0.5
    g      0.6 0.0 0.3 0.0 0.7  0.0 -0.1 0.4 -0.1  0.0 0.3 0.4 0.3  0.0 0.7 0.4 0.7  0.4 -0.1 0.4 0.7
    h      0.7 0.0 0.0 0.0 1.0  0.5 0.0 0.5 0.5  0.0 0.5 0.5 0.5
    i      0.3 0.1 0.1 0.1 0.7  0.0 0.9 0.2 0.9
    j      0.4 0.2 -0.1 0.2 0.7  0.1 0.8 0.3 0.8  0.0 -0.1 0.2 -0.1  0.0 -0.1 0.0 0.3
    k      0.6 0.0 0.0 0.0 1.0  0.0 0.3 0.4 0.0  0.0 0.3 0.4 0.6
    l      0.4 0.1 0.0 0.1 1.0  0.0 0.0 0.2 0.0  0.0 1.0 0.1 1.0
    m      0.8 0.0 0.1 0.0 0.8  0.3 0.1 0.3 0.7  0.6 0.1 0.6 0.7  0.0 0.7 0.6 0.7
    n      0.6 0.0 0.1 0.0 0.8  0.4 0.1 0.4 0.7  0.0 0.7 0.4 0.7
    o      0.6 0.0 0.1 0.0 0.7  0.0 0.1 0.4 0.1  0.0 0.7 0.4 0.7  0.4 0.1 0.4 0.7
    p      0.7 0.0 -0.1 0.0 0.7  0.0 0.3 0.5 0.3  0.0 0.7 0.5 0.7  0.5 0.7 0.5 0.3
    q      0.7 0.0 0.3 0.0 0.7  0.0 0.3 0.5 0.3  0.0 0.7 0.5 0.7  0.5 -0.1 0.5 0.7
    r      0.7 0.0 0.1 0.0 0.8  0.0 0.7 0.5 0.7  0.5 0.4 0.5 0.7
    s      0.7 0.0 0.1 0.5 0.1  0.5 0.1 0.5 0.4  0.0 0.4 0.5 0.4  0.0 0.7 0.0 0.4  0.0 0.7 0.5 0.7
    t      0.4 0.1 0.0 0.1 1.0  0.0 0.6 0.3 0.6  0.1 0.0 0.2 0.0
    u      0.7 0.0 0.1 0.0 0.7  0.0 0.1 0.5 0.1  0.5 0.1 0.5 0.7
    v      0.6 0.2 0.1 0.0 0.7  0.2 0.1 0.5 0.7
    w      0.8 0.0 0.1 0.0 0.7  0.3 0.1 0.3 0.7  0.6 0.1 0.6 0.7  0.0 0.1 0.6 0.1
    x      0.5 0.0 0.1 0.4 0.7  0.0 0.7 0.4 0.1
    y      0.7 0.0 -0.1 0.5 -0.1  0.0 0.1 0.5 0.1  0.0 0.1 0.0 0.7  0.5 -0.1 0.5 0.7
    z      0.7 0.0 0.1 0.5 0.1  0.0 0.1 0.5 0.7  0.0 0.7 0.5 0.7  0.1 0.4 0.4 0.4
    A      0.7 0.0 0.0 0.0 1.0  0.5 0.0 0.5 1.0  0.0 1.0 0.5 1.0  0.0 0.5 0.5 0.5
    B      0.7 0.0 0.0 0.0 1.0  0.0 0.5 0.5 0.5  0.0 0.0 0.5 0.0  0.5 0.0 0.5 0.5  0.0 1.0 0.4 1.0  0.4 0.5 0.4 1.0
    C      0.7 0.0 0.0 0.0 1.0  0.0 0.0 0.5 0.0  0.0 1.0 0.5 1.0
    D      0.7 0.0 0.0 0.0 1.0  0.0 0.1 0.5 0.1  0.0 0.9 0.5 0.9  0.5 0.1 0.5 0.9
    E      0.7 0.0 0.0 0.0 1.0  0.0 0.0 0.5 0.0  0.0 0.5 0.5 0.5  0.0 1.0 0.5 1.0
    F      0.6 0.0 0.0 0.0 1.0  0.0 0.5 0.4 0.5  0.0 1.0 0.5 1.0
    G      0.7 0.0 0.0 0.0 1.0  0.0 0.0 0.5 0.0  0.0 1.0 0.5 1.0  0.5 0.0 0.5 0.4  0.3 0.4 0.5 0.4
    H      0.7 0.0 0.0 0.0 1.0  0.5 0.0 0.5 1.0  0.0 0.5 0.5 0.5
    I      0.6 0.0 0.0 0.4 0.0  0.2 0.0 0.2 1.0  0.0 1.0 0.4 1.0
    J      0.7 0.0 1.0 0.5 1.0  0.3 0.0 0.3 1.0  0.0 0.0 0.3 0.0  0.0 0.0 0.0 0.3
    K      0.7 0.0 0.0 0.0 1.0  0.0 0.5 0.5 0.0  0.0 0.5 0.5 1.0
    L      0.6 0.0 0.0 0.0 1.0  0.0 0.0 0.4 0.0
    M      0.8 0.0 0.0 0.0 1.0  0.3 0.0 0.3 1.0  0.6 0.0 0.6 1.0  0.0 1.0 0.6 1.0
    N      0.7 0.0 0.0 0.0 1.0  0.5 0.0 0.5 1.0  0.0 1.0 0.5 0.0
    O      0.6 0.0 0.0 0.0 1.0  0.0 0.0 0.4 0.0  0.0 1.0 0.4 1.0  0.4 0.0 0.4 1.0
    P      0.7 0.0 0.0 0.0 1.0  0.0 0.5 0.5 0.5  0.0 1.0 0.5 1.0  0.5 1.0 0.5 0.5
    Q      0.7 0.0 0.0 0.0 1.0  0.0 0.0 0.4 0.0  0.0 1.0 0.4 1.0  0.4 0.0 0.4 1.0  0.2 0.2 0.6 0.2
    R      0.7 0.0 0.0 0.0 1.0  0.0 0.5 0.5 0.5  0.0 1.0 0.5 1.0  0.5 1.0 0.5 0.5  0.2 0.5 0.5 0.0
    S      0.7 0.0 0.0 0.5 0.0  0.5 0.0 0.5 0.5  0.0 0.5 0.5 0.5  0.0 1.0 0.0 0.5  0.0 1.0 0.5 1.0
    T      0.7 0.0 1.0 0.5 1.0  0.2 0.0 0.2 1.0
    U      0.7 0.0 0.0 0.0 1.0  0.0 0.0 0.5 0.0  0.5 0.0 0.5 1.0
    V      0.7 0.2 0.0 0.0 1.0  0.2 0.0 0.5 1.0
    W      0.8 0.0 0.0 0.0 1.0  0.3 0.0 0.3 1.0  0.6 0.0 0.6 1.0  0.0 0.0 0.6 0.0
    X      0.7 0.0 0.0 0.5 1.0  0.0 1.0 0.5 0.0
    Y      0.7 0.0 0.0 0.5 0.0  0.5 0.0 0.5 1.0  0.0 0.5 0.5 0.5  0.0 0.5 0.0 1.0
    Z      0.7 0.0 0.0 0.5 0.0  0.0 0.0 0.5 1.0  0.0 1.0 0.5 1.0
    0      0.7 0.0 0.0 0.5 0.0  0.0 0.0 0.0 1.0  0.5 0.0 0.5 1.0  0.0 1.0 0.5 1.0  0.0 0.0 0.5 1.0
    1      0.3 0.1 0.0 0.1 1.0  0.0 1.0 0.1 0.9
    2      0.7 0.0 0.0 0.5 0.0  0.0 0.0 0.0 0.5  0.0 0.5 0.5 0.5  0.5 1.0 0.5 0.5  0.0 1.0 0.5 1.0
    3      0.7 0.5 0.0 0.5 1.0  0.0 0.0 0.5 0.0  0.0 0.5 0.5 0.5  0.0 1.0 0.5 1.0
    4      0.7 0.4 0.0 0.4 1.0  0.4 1.0 0.0 0.2  0.0 0.2 0.5 0.2
    5      0.7 0.0 0.0 0.5 0.0  0.5 0.0 0.5 0.5  0.0 0.5 0.5 0.5  0.0 1.0 0.0 0.5  0.0 1.0 0.5 1.0
    6      0.7 0.0 1.0 0.5 1.0  0.0 0.0 0.0 1.0  0.0 0.0 0.5 0.0  0.0 0.5 0.5 0.5  0.5 0.0 0.5 0.5
    7      0.7 0.0 1.0 0.5 1.0  0.0 0.0 0.5 1.0
    8      0.7 0.5 0.0 0.5 1.0  0.0 1.0 0.5 1.0  0.0 1.0 0.0 0.0  0.0 0.5 0.5 0.5  0.0 0.0 0.5 0.0
    9      0.7 0.5 0.0 0.5 1.0  0.0 1.0 0.5 1.0  0.0 1.0 0.0 0.5  0.0 0.5 0.5 0.5
    space  0.6 
    .      0.3 0.1 0.0 0.1 0.1
    ,      0.3 0.0 0.0 0.1 0.1  0.1 0.1 0.1 0.2
    !      0.3 0.0 0.2 0.0 1.0  0.0 0.0 0.0 0.1
    ?      0.6 0.0 1.0 0.4 1.0  0.4 1.0 0.4 0.4  0.4 0.4 0.2 0.4  0.2 0.4 0.2 0.2  0.2 0.0 0.2 0.1
    (      0.4 0.0 0.0 0.0 1.0  0.0 0.0 0.2 0.0  0.0 1.0 0.2 1.0
    )      0.4 0.2 0.0 0.2 1.0  0.0 0.0 0.2 0.0  0.0 1.0 0.2 1.0
    +      0.6 0.0 0.4 0.4 0.4  0.2 0.2 0.2 0.6
    -      0.6 0.0 0.4 0.4 0.4
    *      0.6 0.0 0.4 0.4 0.4  0.2 0.2 0.2 0.6  0.0 0.2 0.4 0.6  0.4 0.2 0.0 0.6
    _      0.6 0.0 0.0 0.4 0.0
    :      0.3 0.1 0.1 0.1 0.2  0.1 0.8 0.1 0.9
    '      0.2 0.0 0.8 0.1 1.0
    /      0.5 0.0 0.0 0.3 1.0
    %      0.7 0.0 0.1 0.5 0.9  0.0 0.8 0.1 0.7  0.4 0.3 0.5 0.2
)";
// clang-format on

struct GlyphRow {
    char character;
    float advance;
    std::vector<float> coordinates;  // four per line
};

std::vector<GlyphRow> designRows() {
    std::vector<GlyphRow> rows;
    std::istringstream lines(kGlyphDesign);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name;
        std::string number;
        if (!(fields >> name)) {
            continue;
        }
        GlyphRow row{name == "space" ? ' ' : name[0], 0.0f, {}};
        fields >> number;
        row.advance = std::strtof(number.c_str(), nullptr);  // nearest float to the decimal
        while (fields >> number) {
            row.coordinates.push_back(std::strtof(number.c_str(), nullptr));
        }
        rows.push_back(row);
    }
    return rows;
}

void setText(const char* text) {
    std::snprintf(textBuffer, sizeof textBuffer, "%s", text);
}

std::vector<float> lineWidthCalls() {
    std::vector<float> widths;
    for (const RecordedCall& call : recordedCalls("glLineWidth")) {
        widths.push_back(static_cast<float>(call.args[0]));
    }
    return widths;
}

// The leftmost x of each drawn glyph, given the glyphs drawn in order.
std::vector<double> glyphLeftEdges(const std::string& drawn) {
    std::vector<double> edges;
    std::size_t next = 0;
    for (char c : drawn) {
        const int index = static_cast<int>(std::strchr(glyphChars, c) - glyphChars);
        double left = 1e9;
        for (int s = 0; s < glyphSegmentCount[index]; ++s) {
            for (const RecordedVertex& v : glRecorder.primitives.at(next).vertices) {
                left = std::min(left, v.x);
            }
            ++next;
        }
        edges.push_back(left);
    }
    return edges;
}

TEST(GlyphTable, MatchesTheDesignRowByRow) {
    const std::vector<GlyphRow> rows = designRows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kGlyphCount));
    ASSERT_EQ(std::strlen(glyphChars), static_cast<std::size_t>(kGlyphCount));
    for (int i = 0; i < kGlyphCount; ++i) {
        const GlyphRow& row = rows[i];
        SCOPED_TRACE(std::string("glyph ") + std::to_string(i) + " '" + row.character + "'");
        EXPECT_EQ(glyphChars[i], row.character);
        // Characters are found by their first position: a repeat would hide a glyph.
        EXPECT_EQ(std::strchr(glyphChars, row.character), glyphChars + i);
        EXPECT_EQ(glyphAdvance[i], row.advance);
        const int count = static_cast<int>(row.coordinates.size() / 4);
        ASSERT_EQ(glyphSegmentCount[i], count);
        for (int s = 0; s < kGlyphMaxSegments; ++s) {
            for (int k = 0; k < 4; ++k) {
                const float expected = s < count ? row.coordinates[s * 4 + k] : 0.0f;
                EXPECT_EQ(glyphSegments[i][s][k], expected) << "slot " << s << " value " << k;
            }
        }
    }
}

TEST(GlyphLists, CompiledOnceIntoConsecutiveListsWithoutDrawing) {
    resetGlRecorder();
    compileStrokeFont();
    ASSERT_EQ(recordedCalls("glGenLists").size(), 1u);
    EXPECT_EQ(recordedCalls("glGenLists")[0].args[0], kGlyphCount);
    const std::vector<RecordedCall> opened = recordedCalls("glNewList");
    ASSERT_EQ(opened.size(), static_cast<std::size_t>(kGlyphCount));
    for (int i = 0; i < kGlyphCount; ++i) {
        EXPECT_EQ(opened[i].args[0], fontListBase + i);
        EXPECT_EQ(opened[i].args[1], GL_COMPILE);
    }
    EXPECT_EQ(recordedCalls("glEndList").size(), static_cast<std::size_t>(kGlyphCount));
    EXPECT_TRUE(glRecorder.primitives.empty());
    EXPECT_TRUE(modelviewIsIdentity());
}

TEST(GlyphLists, EachListDrawsItsLinesThenMovesThePenByItsAdvance) {
    const std::vector<GlyphRow> rows = designRows();
    resetDrawing();
    constexpr float kScale = 100.0f;  // glyph units to whole pixels, for a clear tolerance
    for (int i = 0; i < kGlyphCount; ++i) {
        SCOPED_TRACE(std::string("glyph '") + rows[i].character + "'");
        glRecorder.calls.clear();
        glRecorder.primitives.clear();
        glLoadIdentity();
        glScalef(kScale, kScale, 1.0f);
        glCallList(fontListBase + i);

        // One begin/end pair, even for the space.
        EXPECT_EQ(recordedCalls("glBegin").size(), 1u);
        EXPECT_EQ(recordedCalls("glEnd").size(), 1u);
        const std::size_t lines = rows[i].coordinates.size() / 4;
        ASSERT_EQ(glRecorder.primitives.size(), lines);
        for (std::size_t s = 0; s < lines; ++s) {
            const RecordedPrimitive& line = glRecorder.primitives[s];
            EXPECT_EQ(line.mode, static_cast<GLenum>(GL_LINES));
            for (int end = 0; end < 2; ++end) {
                EXPECT_NEAR(line.vertices[end].x, kScale * rows[i].coordinates[s * 4 + end * 2],
                            kPixelTolerance);
                EXPECT_NEAR(line.vertices[end].y, kScale * rows[i].coordinates[s * 4 + end * 2 + 1],
                            kPixelTolerance);
            }
        }
        const RecordedMatrix& after = glRecorder.modelviewStack.back();
        EXPECT_FLOAT_EQ(static_cast<float>(after[12]), kScale * rows[i].advance);
        EXPECT_EQ(after[13], 0.0);
    }
}

TEST(DrawText, EmptyTextOnlyScalesInsideAPushPopPair) {
    resetDrawing();
    setText("");
    drawText(16.0f);
    ASSERT_EQ(glRecorder.calls.size(), 3u);
    EXPECT_EQ(glRecorder.calls[0].name, "glPushMatrix");
    EXPECT_EQ(glRecorder.calls[1].name, "glScalef");
    EXPECT_EQ(glRecorder.calls[1].args, (std::vector<double>{16.0, 16.0, 1.0}));
    EXPECT_EQ(glRecorder.calls[2].name, "glPopMatrix");
}

TEST(DrawText, UnknownCharactersAreSkippedAndSpacesOnlyMoveThePen) {
    resetDrawing();
    glTranslatef(100.0f, 200.0f, 0.0f);
    const RecordedMatrix before = glRecorder.modelviewStack.back();
    setText("a#b");
    drawText(10.0f);
    const std::vector<double> ab = glyphLeftEdges("ab");
    EXPECT_NEAR(ab[0], 100.0, kPixelTolerance);
    EXPECT_NEAR(ab[1], 107.0, kPixelTolerance);
    EXPECT_EQ(glRecorder.modelviewStack.back(), before);
    EXPECT_EQ(glRecorder.modelviewStack.size(), 1u);

    glRecorder.primitives.clear();
    setText(" . a");
    drawText(10.0f);
    // '.' has its line at x 0.1; the space before it adds 0.6, '.' 0.3, the second space 0.6.
    const std::vector<double> edges = glyphLeftEdges(".a");
    EXPECT_NEAR(edges[0], 100.0 + 6.0 + 1.0, kPixelTolerance);
    EXPECT_NEAR(edges[1], 100.0 + 6.0 + 3.0 + 6.0, kPixelTolerance);
}

TEST(DrawText, AWideMarkWidensExactlyTheNextCharacter) {
    struct Case {
        const char* text;
        std::vector<float> widthCalls;  // glLineWidth arguments, in order
        float aWidth;                   // the width the 'a' is drawn at
    };
    constexpr float kCallerWidth = 3.0f;
    // clang-format off
    const Case cases[] = {
        {"a",   {},                kCallerWidth},  // no mark: the caller's width, untouched
        {"^a",  {2.0f, 1.0f},      2.0f},
        {"^#a", {2.0f, 1.0f},      1.0f},          // the unknown '#' uses up the mark
        {"^^a", {2.0f, 2.0f, 1.0f}, 2.0f},
        {"a^",  {2.0f, 1.0f},      kCallerWidth},  // a trailing mark is closed at the end
        {"^ a", {2.0f, 1.0f},      1.0f},          // the space takes the mark
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        resetDrawing();
        glLineWidth(kCallerWidth);
        glRecorder.calls.clear();
        setText(c.text);
        drawText(16.0f);
        EXPECT_EQ(lineWidthCalls(), c.widthCalls);
        ASSERT_EQ(glRecorder.primitives.size(), 4u);  // the four lines of 'a'
        for (const RecordedPrimitive& line : glRecorder.primitives) {
            EXPECT_EQ(line.lineWidth, c.aWidth);
        }
    }
}

TEST(DrawText, ScoreDigitsAreSixteenPixelsTallAndOneIsNarrow) {
    resetDrawing();
    setText("0123456789");
    drawText(16.0f);
    double bottom = 1e9;
    double top = -1e9;
    for (const RecordedPrimitive& line : glRecorder.primitives) {
        for (const RecordedVertex& v : line.vertices) {
            bottom = std::min(bottom, v.y);
            top = std::max(top, v.y);
        }
    }
    EXPECT_NEAR(top - bottom, 16.0, kPixelTolerance);
    const std::vector<double> edges = glyphLeftEdges("0123456789");
    double pen = 0.0;
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_NEAR(edges[digit], pen, kPixelTolerance) << "digit " << digit;
        pen += digit == 1 ? 4.8 : 11.2;
    }
}

TEST(DrawText, AnUnterminatedBufferStopsAtItsEnd) {
    resetDrawing();
    std::memset(textBuffer, 'l', sizeof textBuffer);
    drawText(1.0f);
    EXPECT_EQ(recordedCalls("glCallList").size(), static_cast<std::size_t>(kTextBufferSize));
    textBuffer[0] = '\0';
}

}  // namespace
