// The reference program: the bound on what the game's drawing can cost on a
// given GL.
//
// It opens the same window with the same GL state, loads the same pictures
// with SOIL alone, and then each frame issues the GL work of the game's
// busiest frame and nothing else: the kept-frame restore when that path is
// active, the wash, 32 shaken tile quads (seven in the queue row, a full
// board, the preview over the cursor column), the separator, the landing
// outline, the score line through the same display lists, the reward picture,
// the two random triangles and the kept-frame copy. No rules, no state: the
// places and pictures are fixed. The game measured against it is put into
// exactly that position (game over on a full board), so the two differ only
// in what the game itself spends.
#include <GL/gl.h>
#include <SDL.h>
#include <SOIL.h>

#include <cstdio>
#include <cstdlib>

#include "render/frame_keeper.h"
#include "render/picture_names.h"
#include "render/stroke_font.h"

namespace {

// clang-format off
constexpr int     kWidth          = 640;
constexpr int     kHeight         = 580;
constexpr int     kRewardPicture  = kTileFaceCount;  // the lowest band's reward
constexpr float   kTile           = 100.0f;
constexpr float   kReward         = 400.0f;
constexpr int     kQueueTiles     = 7;
constexpr int     kColumns        = 6;
constexpr int     kRows           = 4;
constexpr float   kQueueY         = 50.0f;
constexpr float   kHandRaise      = 10.0f;
constexpr float   kBoardX         = 50.0f;  // centre of column 0, slot 0
constexpr float   kBoardY         = 180.0f;
constexpr GLfloat kTileAlpha      = 0.05f;
constexpr GLfloat kWashAlpha      = 0.01f;
// clang-format on

GLuint pictures[kPictureCount];

// A tremble of -5..5 pixels, as the game's.
float shake() {
    return static_cast<float>(std::rand() % 101 - 50) * 0.1f;
}

void quad(float halfWidth, float halfHeight, bool textured) {
    static const float kCorners[4][4] = {
        {0, 1, -1, -1}, {1, 1, 1, -1}, {1, 0, 1, 1}, {0, 0, -1, 1}};
    glBegin(GL_QUADS);
    for (const auto& c : kCorners) {
        if (textured) {
            glTexCoord2f(c[0], c[1]);
        }
        glVertex2f(c[2] * halfWidth, c[3] * halfHeight);
    }
    glEnd();
}

void picture(GLuint id, float x, float y, float size, bool shaken) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    if (shaken) {
        const float dy = shake();
        glTranslatef(shake(), dy, 0.0f);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, id);
    quad(size / 2.0f, size / 2.0f, true);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void triangle(float x, float y, int spanX, int spanY, GLfloat alpha) {
    glColor4f((std::rand() % 100) * 0.01f, (std::rand() % 100) * 0.01f, (std::rand() % 100) * 0.01f,
              alpha);
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glBegin(GL_TRIANGLES);
    for (int corner = 0; corner < 3; ++corner) {
        const int cy = std::rand() % spanY;
        glVertex2f(static_cast<float>(std::rand() % spanX), static_cast<float>(cy));
    }
    glEnd();
    glPopMatrix();
}

void drawFrame() {
    restoreKeptFrame();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, kWashAlpha);
    glPushMatrix();
    glTranslatef(kWidth / 2.0f, kHeight / 2.0f, 0.0f);
    quad(kWidth / 2.0f, kHeight / 2.0f, false);
    glPopMatrix();
    glLineWidth(1.0f);

    int face = 0;
    glColor4f(1.0f, 1.0f, 1.0f, kTileAlpha);
    for (int i = 0; i < kQueueTiles; ++i) {
        picture(pictures[face++], kBoardX + kTile * i, kQueueY + (i == 0 ? kHandRaise : 0.0f),
                kTile, true);
    }
    glColor4f(0.0f, 0.0f, 0.0f, 0.02f);
    glBegin(GL_LINES);
    glVertex2f(0.0f, 120.0f);
    glVertex2f(kWidth, 120.0f);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, kTileAlpha);
    for (int column = 0; column < kColumns; ++column) {
        for (int row = 0; row < kRows; ++row) {
            picture(pictures[face++], kBoardX + kTile * column, kBoardY + kTile * row, kTile, true);
        }
    }
    // The preview over the last, full column, and its outline.
    const float previewX = kBoardX + kTile * (kColumns - 1);
    const float previewY = kBoardY + kTile * kRows;
    picture(pictures[0], previewX, previewY, kTile, true);
    glColor4f(0.0f, 0.0f, 0.0f, 0.05f);
    glPushMatrix();
    glTranslatef(previewX + shake(), previewY + shake(), 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    quad(40.0f, 50.0f, false);
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    glColor4f(0.0f, 0.0f, 0.0f, 0.7f);
    glPushMatrix();
    glTranslatef(400.0f, 548.0f, 0.0f);
    std::snprintf(textBuffer, sizeof textBuffer, "score: %d      best: %d", 0, 0);
    drawText(16.0f);
    glPopMatrix();

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    picture(pictures[kRewardPicture], kWidth / 2.0f, 290.0f, kReward, false);
    triangle(0.0f, 0.0f, kWidth, kHeight, 0.05f);
    triangle(320.0f, 290.0f, 50, 50, 0.2f);
    keepFrame();
}

bool keepRunning() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        return EXIT_FAILURE;
    }
    SDL_WM_SetCaption("kessary reference", "kessary");
    SDL_EnableUNICODE(1);
    SDL_EnableKeyRepeat(0, 0);
    SDL_ShowCursor(SDL_DISABLE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    if (SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL) == nullptr) {
        SDL_Quit();
        return EXIT_FAILURE;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kWidth, 0.0, kHeight, -5.0, 5.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);

    for (int k = 0; k < kPictureCount; ++k) {
        char path[64];
        std::snprintf(path, sizeof path, kPicturePath, kPictureNames[k]);
        pictures[k] = SOIL_load_OGL_texture(path, SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, 0);
    }

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setUpFrameKeeping();
    compileStrokeFont();

    while (keepRunning()) {
        drawFrame();
        SDL_GL_SwapBuffers();
    }

    glDeleteLists(fontListBase, kGlyphCount);
    glDeleteTextures(kPictureCount, pictures);
    releaseFrameKeeping();
    SDL_Quit();
    return EXIT_SUCCESS;
}
