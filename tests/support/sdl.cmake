# The SDL stand-in: SDL's headers for the types, no SDL linked.
add_library(sdl_standin STATIC ${CMAKE_CURRENT_LIST_DIR}/sdl_standin.cpp)
target_include_directories(sdl_standin PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${SDL_INCLUDE_DIRS})
target_compile_options(sdl_standin PUBLIC ${SDL_CFLAGS_OTHER})
