// A GL 1.1 and SOIL stand-in that does nothing.
//
// Linking the drawing against these entry points instead of the system's GL
// leaves only the CPU cost of our own code: what a frame costs before the GL
// does any work. The few queries the drawing makes get plausible answers (no
// error, a 4096 texture limit, fresh names), and the framebuffer query is left
// unanswered, as an old GL would, so the kept-frame path runs as well. Nothing
// here allocates, so it cannot spoil a count of the drawing's allocations.
#include <GL/gl.h>
#include <SOIL.h>

namespace {

constexpr GLint kMaxTextureSize = 4096;
GLuint nextName = 1;  // texture and display-list names handed out

}  // namespace

extern "C" {

// clang-format off
void glBegin(GLenum) {}
void glEnd() {}
void glVertex2f(GLfloat, GLfloat) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glBlendFunc(GLenum, GLenum) {}
void glLineWidth(GLfloat) {}
void glPolygonMode(GLenum, GLenum) {}
void glMatrixMode(GLenum) {}
void glLoadIdentity() {}
void glPushMatrix() {}
void glPopMatrix() {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glScalef(GLfloat, GLfloat, GLfloat) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glBindTexture(GLenum, GLuint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*) {}
void glCopyTexSubImage2D(GLenum, GLint, GLint, GLint, GLint, GLint, GLsizei, GLsizei) {}
void glDeleteTextures(GLsizei, const GLuint*) {}
void glNewList(GLuint, GLenum) {}
void glEndList() {}
void glCallList(GLuint) {}
void glDeleteLists(GLuint, GLsizei) {}
GLenum glGetError() { return GL_NO_ERROR; }
// clang-format on

void glGetIntegerv(GLenum name, GLint* value) {
    if (name == GL_MAX_TEXTURE_SIZE) {
        *value = kMaxTextureSize;
    }
}

void glGenTextures(GLsizei count, GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        names[i] = nextName++;
    }
}

GLuint glGenLists(GLsizei count) {
    const GLuint first = nextName;
    nextName += static_cast<GLuint>(count);
    return first;
}

unsigned int SOIL_create_OGL_texture(const unsigned char*, int, int, int, unsigned int,
                                     unsigned int) {
    return nextName++;
}

}  // extern "C"
