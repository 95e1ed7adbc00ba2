# The Windows program: a GUI program (no console window opens), with the
# game's icon, a version resource Explorer shows, and a manifest declaring it
# DPI-aware, so that on a scaled screen Windows does not stretch the window
# blurrily and the game's own whole-number scaling works in real pixels.
# The icon is made from the committed PNGs at build time.
enable_language(RC)
set_target_properties(kessary PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(kessary PRIVATE -s)  # no symbol table: a player has no debugger

set(kessary_icon_sizes 48 64 128 256)
list(TRANSFORM kessary_icon_sizes PREPEND ${PROJECT_SOURCE_DIR}/dist/icons/kessary-
  OUTPUT_VARIABLE kessary_icon_pngs)
list(TRANSFORM kessary_icon_pngs APPEND .png)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/kessary.ico
  COMMAND ${KESSARY_PYTHON3} ${PROJECT_SOURCE_DIR}/scripts/windows_icon.py
          ${CMAKE_CURRENT_BINARY_DIR}/kessary.ico ${kessary_icon_pngs}
  DEPENDS ${PROJECT_SOURCE_DIR}/scripts/windows_icon.py ${kessary_icon_pngs})

configure_file(${PROJECT_SOURCE_DIR}/dist/windows/kessary.rc.in
  ${CMAKE_CURRENT_BINARY_DIR}/kessary.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/kessary.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/kessary.ico;${PROJECT_SOURCE_DIR}/dist/windows/kessary.manifest")
target_sources(kessary PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/kessary.rc)

# GoogleTest for the unit tests, built from Debian's sources with the same
# compiler (its prebuilt libraries are for Linux); it names them GTest::gtest
# and GTest::gtest_main itself.
if(KESSARY_TESTS)
  # The tests are listed by running them under Wine, whose first start of a
  # program after its server starts takes seconds: more than the default 5.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_TIMEOUT 120)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
