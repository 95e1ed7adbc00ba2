# The GL stand-in: a static library that defines the OpenGL 1.1 entry points
# the drawing calls, SOIL_load_OGL_texture and rand(), and records them. It
# takes GL's and SOIL's headers for the types but links neither library.
# Whatever links it gets rand() redirected to the recorder (--wrap=rand), so
# the drawing's noise is scripted and counted.
add_library(gl_recorder STATIC ${CMAKE_CURRENT_LIST_DIR}/gl_recorder.cpp)
target_include_directories(gl_recorder PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${OPENGL_INCLUDE_DIR}
  ${SOIL_INCLUDE_DIR})
target_link_options(gl_recorder INTERFACE -Wl,--wrap=rand)
