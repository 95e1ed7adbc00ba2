# The SDL stand-in: a static library that defines the SDL 1.2 calls the program
# makes (events, clock, swap, start-up) from a script. It takes SDL's headers
# for the types but links no SDL.
add_library(sdl_standin STATIC ${CMAKE_CURRENT_LIST_DIR}/sdl_standin.cpp)
target_include_directories(sdl_standin PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${SDL_INCLUDE_DIRS})
target_compile_options(sdl_standin PUBLIC ${SDL_CFLAGS_OTHER})
