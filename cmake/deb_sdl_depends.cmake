# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) once the files are staged and before the
# DEB generator asks dpkg-shlibdeps for the package's dependencies, which it does
# from the staging folder.
#
# Left alone, dpkg-shlibdeps names libsdl1.2debian for libSDL-1.2.so.0. That name
# is classic SDL 1.2's own package, so on a machine with neither SDL 1.2 library
# apt installs classic SDL, which cannot scale the window or go full screen. The
# SDL-1.2-on-SDL2 package provides the same name; naming it first gets a clean
# machine the library the game is built and tested against, while a machine that
# has classic SDL keeps it. A debian/shlibs.local there takes precedence over the
# library's symbols file for that one library; every other dependency is still
# worked out from the binary. The generator removes debian/ before packing.
file(WRITE "${CPACK_TEMPORARY_DIRECTORY}/debian/shlibs.local"
  "libSDL-1.2 0 ${CPACK_KESSARY_SDL_DEPENDS}\n")
