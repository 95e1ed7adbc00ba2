# Installing and packaging.
#
# The game reads dat/img/ relative to its working directory and takes no
# arguments, so it is installed the way distributions install games: the
# program under lib/games/kessary/, its pictures under share/games/kessary/, and
# a launcher on the path (games/kessary) that changes into the data folder and
# runs the program. The launcher finds both from its own place, so any prefix,
# DESTDIR or unpacked package works.
set(KESSARY_DATA_DIR share/games/kessary)
set(KESSARY_PROGRAM_DIR lib/games/kessary)
set(KESSARY_APP_ID org.kessary.kessary)

# Folders the install creates get these, as files do already (mkdir still
# applies the umask: scripts/package sets Debian's).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kessary RUNTIME DESTINATION ${KESSARY_PROGRAM_DIR})
# A stripped install (`--strip`, and the package) also drops the sections that
# only name the compiler, as Debian's dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KESSARY_PROGRAM_DIR}/kessary\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(DIRECTORY dat/img DESTINATION ${KESSARY_DATA_DIR}/dat FILES_MATCHING PATTERN "*.png")

configure_file(dist/kessary.in ${CMAKE_CURRENT_BINARY_DIR}/launcher/kessary @ONLY)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/launcher/kessary DESTINATION games)

install(FILES dist/${KESSARY_APP_ID}.desktop DESTINATION share/applications)
install(FILES dist/${KESSARY_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# The icons are drawn by tools/pictures (kessary_pictures --icons) and committed.
foreach(size 48 64 128 256)
  install(FILES dist/icons/kessary-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${KESSARY_APP_ID}.png)
endforeach()

# Debian wants the manual page and the changelog compressed without timestamps,
# and the licence as share/doc/<package>/copyright.
find_program(GZIP gzip REQUIRED)
foreach(pair "dist/kessary.6|kessary.6.gz" "dist/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/dist/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/dist
    COMMAND ${GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${CMAKE_CURRENT_BINARY_DIR}/dist/${target}
    DEPENDS ${source})
endforeach()
add_custom_target(kessary_docs ALL DEPENDS
  ${CMAKE_CURRENT_BINARY_DIR}/dist/kessary.6.gz ${CMAKE_CURRENT_BINARY_DIR}/dist/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/kessary.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/changelog.gz DESTINATION share/doc/kessary)
install(FILES LICENSE DESTINATION share/doc/kessary RENAME copyright)

# ---- Debian package ---------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kessary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Debian wants an address here and the project has none yet: the reserved
# .invalid domain says so plainly, where a made-up domain would point at
# whoever registers it.
set(CPACK_PACKAGE_CONTACT "The Kessary developers <developers@kessary.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mahjong-tile column puzzle with fading trails")
# CPack puts the summary first and indents these lines itself; an empty line
# becomes a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Kessary is a small single-screen arcade puzzle game. Forty-two mahjong
tiles, one of each kind, come along a queue and are dropped into six
columns of four. A full column is scored as a meld: a pure one, or one
holding a dragon, clears its column; any other blocks it for the rest
of the game.

The screen is never cleared, only washed, so shaking tiles leave soft
trails. A reward picture celebrates every finished game.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL 1.2: the SDL-1.2-on-SDL2 library first, classic SDL 1.2 where it is installed.
set(CPACK_KESSARY_SDL_DEPENDS "libsdl1.2-compat-shim | libsdl1.2debian (>= 1.2.15)")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/deb_sdl_depends.cmake)
# A cross build (cmake/debian-cross.cmake) makes a package of the architecture
# it builds for, its dependencies worked out from the libraries in its root.
if(CMAKE_CROSSCOMPILING AND KESSARY_DEBIAN_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KESSARY_DEBIAN_ARCH})
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KESSARY_CROSS_ROOT}/lib/${KESSARY_CROSS_TRIPLET}
    ${KESSARY_CROSS_ROOT}/usr/lib/${KESSARY_CROSS_TRIPLET} ${KESSARY_CROSS_ROOT}/usr/lib)
  set(CPACK_KESSARY_CROSS_ROOT ${KESSARY_CROSS_ROOT})
  list(APPEND CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/deb_cross_shlibdeps.cmake)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
