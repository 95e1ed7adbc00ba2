// Drawing one frame over the last one.
//
// No frame is ever cleared: the wash lays a nearly transparent white over the
// previous picture, and the scene is drawn faintly over that, its tiles
// trembling with rand() and drifting with the jitter offsets, so pictures
// build up over many frames and leave soft trails. The look is nothing but the
// numbers below. rand() is only the visual noise; the game's own random source
// is never touched here, so drawing cannot change a game.
#include "scene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "frame_keeper.h"
#include "game/game_state.h"
#include "stroke_font.h"

namespace {

struct Colour {
    GLfloat red;
    GLfloat green;
    GLfloat blue;
    GLfloat alpha;
};

// clang-format off
constexpr Colour kWashColour         = {1.0f, 1.0f, 1.0f, 0.01f};
constexpr Colour kHandColour         = {1.0f, 1.0f, 1.0f, 0.1f };  // queue slot 0
constexpr Colour kQueueColour        = {1.0f, 1.0f, 1.0f, 0.05f};  // queue slots 1..6
constexpr Colour kSeparatorColour    = {0.0f, 0.0f, 0.0f, 0.02f};
constexpr Colour kCursorColumnColour = {1.0f, 1.0f, 1.0f, 0.1f };
constexpr Colour kColumnColour       = {1.0f, 1.0f, 1.0f, 0.05f};
constexpr Colour kOutlineColour      = {0.0f, 0.0f, 0.0f, 0.05f};
constexpr Colour kScoreColour        = {0.0f, 0.0f, 0.0f, 0.7f };
constexpr Colour kRewardColour       = {1.0f, 1.0f, 1.0f, 1.0f };

constexpr float kPreviewAlpha        = 0.1f;   // preview alpha at dropTimer 0 ...
constexpr float kPreviewPulse        = 0.1f;   // ... plus this times sin(rate * dropTimer)
constexpr float kPreviewPulseRate    = 0.01f;  // radians per dropTimer unit
constexpr float kScreenTriangleAlpha = 0.05f;
constexpr float kSparkTriangleAlpha  = 0.2f;

// Layout in window pixels, origin bottom left.
constexpr float kTileSize            = 100.0f;  // every tile, and the step between tiles
constexpr float kQueueX              = 50.0f;   // first queue tile's centre at dropTimer 0
constexpr float kQueueY              = 50.0f;
constexpr float kHandRaise           = 10.0f;   // the tile in hand sits this much higher
constexpr float kSeparatorY          = 120.0f;
constexpr float kColumnsX            = 50.0f;   // centre of column 0, slot 0
constexpr float kColumnsY            = 180.0f;
constexpr float kOutlineHalfWidth    = 40.0f;
constexpr float kOutlineHalfHeight   = 50.0f;
constexpr float kScoreX              = 400.0f;  // score line's text origin
constexpr float kScoreY              = 548.0f;
constexpr float kScoreTextScale      = 16.0f;
constexpr float kRewardX             = kWindowWidth / 2.0f;  // reward picture's centre
constexpr float kRewardY             = kWindowHeight / 2.0f;
constexpr float kRewardSize          = 400.0f;
constexpr int   kSparkSpan           = 50;      // spark triangle corners, up and right of it

// Noise from rand().
constexpr int   kShakeSteps          = 101;     // shake offsets -50..50 steps ...
constexpr int   kShakeCentre         = 50;
constexpr float kShakeUnit           = 0.1f;    // ... of 0.1 px
constexpr int   kColourSteps         = 100;     // colour components 0.00..0.99
constexpr float kColourUnit          = 0.01f;

// Reward picture by score band: score / 100 picks the entry, the last band open.
constexpr int   kScoreBand           = 100;
constexpr int   kRewardBands         = 4;       // entries kFirstRewardTexture and the 3 after it

// A textured quad's corners, counter-clockwise from the bottom left, as
// multiples of its half size; t = 0, the picture's top row, along the top edge.
struct QuadCorner {
    float s;
    float t;
    float x;
    float y;
};
constexpr QuadCorner kQuadCorners[4] = {
    //  s     t     x      y
    {0.0f, 1.0f, -1.0f, -1.0f},  // bottom left
    {1.0f, 1.0f, +1.0f, -1.0f},  // bottom right
    {1.0f, 0.0f, +1.0f, +1.0f},  // top right
    {0.0f, 0.0f, -1.0f, +1.0f},  // top left
};
// clang-format on

const char* const kScoreFormat = "score: %d      best: %d";

void setColour(const Colour& c) {
    glColor4f(c.red, c.green, c.blue, c.alpha);
}

float shakeOffset() {
    return static_cast<float>(std::rand() % kShakeSteps - kShakeCentre) * kShakeUnit;
}

float colourComponent() {
    return static_cast<float>(std::rand() % kColourSteps) * kColourUnit;
}

// A fresh tremble, y drawn before x.
void translateByShake() {
    const float y = shakeOffset();
    const float x = shakeOffset();
    glTranslatef(x, y, 0.0f);
}

// A quad of the given half size centred on the origin, counter-clockwise.
void centredQuadVertices(float halfWidth, float halfHeight, bool textured) {
    for (const QuadCorner& corner : kQuadCorners) {
        if (textured) {
            glTexCoord2f(corner.s, corner.t);
        }
        glVertex2f(corner.x * halfWidth, corner.y * halfHeight);
    }
}

void drawQueueRow() {
    const GameState& g = gameState;
    glPushMatrix();
    glTranslatef(kQueueX - static_cast<float>(g.dropTimer), kQueueY, 0.0f);
    for (int i = 0; i < kQueueLength; ++i) {
        // An empty slot takes no room: later tiles close up to the left.
        if (g.queue[i] == 0) {
            continue;
        }
        if (i == 0) {
            glPushMatrix();
            glTranslatef(0.0f, kHandRaise, 0.0f);
            setColour(kHandColour);
        } else {
            setColour(kQueueColour);
        }
        drawTile(g.queue[i]);
        if (i == 0) {
            glPopMatrix();
        }
        glTranslatef(kTileSize, 0.0f, 0.0f);
    }
    glPopMatrix();
}

void drawSeparator() {
    setColour(kSeparatorColour);
    glBegin(GL_LINES);
    glVertex2f(0.0f, kSeparatorY);
    glVertex2f(kWindowWidth, kSeparatorY);
    glEnd();
}

// The tile in hand where it would land, brightening as the automatic drop
// nears, and a trembling outline around it. Drawn at the current origin.
void drawPreview() {
    const GameState& g = gameState;
    const float pulse = std::sin(kPreviewPulseRate * static_cast<float>(g.dropTimer));
    glColor4f(1.0f, 1.0f, 1.0f, kPreviewAlpha + kPreviewPulse * pulse);
    drawTile(g.queue[0]);

    glPushMatrix();
    setColour(kOutlineColour);
    translateByShake();  // the outline takes no jitter offset
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glBegin(GL_QUADS);
    centredQuadVertices(kOutlineHalfWidth, kOutlineHalfHeight, false);
    glEnd();
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void drawColumns() {
    const GameState& g = gameState;
    glPushMatrix();
    glTranslatef(kColumnsX, kColumnsY, 0.0f);
    for (int i = 0; i < kColumnCount; ++i) {
        const Column& column = g.columns[i];
        setColour(i == g.cursor ? kCursorColumnColour : kColumnColour);
        glPushMatrix();
        for (int j = 0; j < column.count && j < kColumnHeight; ++j) {
            drawTile(column.tiles[j]);
            glTranslatef(0.0f, kTileSize, 0.0f);
        }
        // The origin is now the column's landing slot.
        if (i == g.cursor && g.queue[0] > 0) {
            drawPreview();
        }
        glPopMatrix();
        glTranslatef(kTileSize, 0.0f, 0.0f);
    }
    glPopMatrix();
}

void drawScoreLine() {
    setColour(kScoreColour);
    glPushMatrix();
    glTranslatef(kScoreX, kScoreY, 0.0f);
    std::snprintf(textBuffer, sizeof textBuffer, kScoreFormat, gameState.score,
                  gameState.bestScore);
    drawText(kScoreTextScale);
    glPopMatrix();
}

void drawReward() {
    const int band = gameState.score / kScoreBand;
    const int entry =
        kFirstRewardTexture + (band >= 0 && band < kRewardBands ? band : kRewardBands - 1);
    setColour(kRewardColour);
    glPushMatrix();
    glTranslatef(kRewardX, kRewardY, 0.0f);
    drawTexturedQuad(*textureSet.at(entry), kRewardSize, kRewardSize, false);
    glPopMatrix();
}

// Three colour components drawn blue, green, red, at the given alpha.
void setRandomColour(float alpha) {
    const float blue = colourComponent();
    const float green = colourComponent();
    const float red = colourComponent();
    glColor4f(red, green, blue, alpha);
}

// A triangle with corners at rand() % span from the current origin, y drawn
// before x. Its winding is left to chance: a clockwise one is culled.
void drawRandomTriangle(int spanX, int spanY) {
    glBegin(GL_TRIANGLES);
    for (int corner = 0; corner < 3; ++corner) {
        const int y = std::rand() % spanY;
        const int x = std::rand() % spanX;
        glVertex2f(static_cast<float>(x), static_cast<float>(y));
    }
    glEnd();
}

}  // namespace

void washScreen() {
    restoreKeptFrame();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();
    setColour(kWashColour);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(kWindowWidth, 0.0f);
    glVertex2f(kWindowWidth, kWindowHeight);
    glVertex2f(0.0f, kWindowHeight);
    glEnd();
    glLineWidth(1.0f);
}

void drawTexturedQuad(const TextureEntry& entry, float width, float height, bool shake) {
    glPushMatrix();
    if (shake) {
        translateByShake();
        const JitterOffset& drift =
            gameState.jitter.at(static_cast<std::size_t>(gameState.jitterCursor));
        glTranslatef(drift.x, drift.y, 0.0f);
        ++gameState.jitterCursor;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, entry.id);
    glBegin(GL_QUADS);
    centredQuadVertices(width / 2.0f, height / 2.0f, true);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void drawTile(TileCode code) {
    drawTexturedQuad(*textureSet.at(static_cast<std::size_t>(code - 1)), kTileSize, kTileSize,
                     true);
}

void drawScene() {
    gameState.jitterCursor = 0;
    drawQueueRow();
    drawSeparator();
    drawColumns();
    drawScoreLine();
    if (gameState.gameOver) {
        drawReward();
    }
    setRandomColour(kScreenTriangleAlpha);
    drawRandomTriangle(kWindowWidth, kWindowHeight);  // corners anywhere in the window
    setRandomColour(kSparkTriangleAlpha);
    glPushMatrix();
    glTranslatef(gameState.spark.x, gameState.spark.y, 0.0f);
    drawRandomTriangle(kSparkSpan, kSparkSpan);
    glPopMatrix();
    keepFrame();
}
