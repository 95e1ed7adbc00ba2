# A GL 1.1 and SOIL stand-in that does nothing: the drawing code linked against
# it costs only its own CPU time. Shared by the benchmarks and the allocation
# test, so it is defined once, whichever of the two includes it first.
if(NOT TARGET null_gl)
  add_library(null_gl STATIC ${CMAKE_CURRENT_LIST_DIR}/null_gl.cpp)
  target_include_directories(null_gl PUBLIC ${OPENGL_INCLUDE_DIR} ${SOIL_INCLUDE_DIR})
endif()
