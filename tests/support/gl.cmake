# The GL stand-in: the OpenGL 1.1 entry points the drawing calls, SOIL's loader and rand()
# (through --wrap), recorded; it takes GL's and SOIL's headers but links neither library.
add_library(gl_recorder STATIC ${CMAKE_CURRENT_LIST_DIR}/gl_recorder.cpp)
target_include_directories(gl_recorder PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${OPENGL_INCLUDE_DIR}
  ${SOIL_INCLUDE_DIR})
target_link_options(gl_recorder INTERFACE -Wl,--wrap=rand)
