# The flags every build gets, whoever configures it: Debian's hardening, no
# build folder in what is built, and the same single-precision numbers on every
# compiler.
#
# Hardening is what Debian builds its games with: dpkg-buildflags with
# hardening=+all where it exists (a packager's own DEB_BUILD_MAINT_OPTIONS
# still apply after it), the same flags checked one by one elsewhere (Windows
# among them: it has no dpkg-buildflags of its own), plus stack
# clash and control-flow protection where the compiler has them (branch
# protection on 64-bit ARM). A cross build (cmake/debian-cross.cmake) asks for
# the flags of the Debian architecture it builds for. They go in front of the
# CFLAGS, CXXFLAGS and LDFLAGS a packager passes, so the packager's flags win;
# optimisation and debugging stay the build type's.
#
# Contraction of multiply-adds goes after everything, the packager's flags
# included: fused and unfused results differ in the last bits, and the rules'
# jitter walk and the drawing's colours are compared bit for bit against
# recorded positions.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckPIESupported)

option(KESSARY_HARDENING "Build with Debian's hardening flags" ON)

set(kessary_compile_flags "")
set(kessary_link_flags "")

# Adds each flag the compiler (or, with LINK, the linker) accepts, after those
# already in the list (-Werror=format-security needs -Wformat), to the list.
function(kessary_checked_flags list)
  cmake_parse_arguments(PARSE_ARGV 1 arg "LINK" "" "")
  set(flags ${${list}})
  foreach(flag IN LISTS arg_UNPARSED_ARGUMENTS)
    string(MAKE_C_IDENTIFIER "kessary_has${flag}" result)
    if(arg_LINK)
      check_linker_flag(CXX "${flag}" ${result})
    else()
      list(JOIN flags " " CMAKE_REQUIRED_FLAGS)
      check_cxx_compiler_flag("${flag}" ${result})
    endif()
    if(${result})
      list(APPEND flags ${flag})
    endif()
  endforeach()
  set(${list} ${flags} PARENT_SCOPE)
endfunction()

if(KESSARY_HARDENING)
  if(WIN32)
    # Windows (MinGW-w64): ASLR with 64-bit addresses and DEP come from the
    # linker; linking statically puts libgcc, libstdc++, winpthread and the
    # stack protector's libssp into the program, so beside Windows' own DLLs it
    # needs only SDL's. No link time is stamped in, so the program is a
    # function of its sources.
    list(APPEND kessary_link_flags -static -static-libgcc -static-libstdc++ -Wl,--dynamicbase
      -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--no-insert-timestamp)
  else()
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    check_pie_supported()
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
  endif()
  if(DPKG_BUILDFLAGS AND NOT WIN32)
    if(CMAKE_CROSSCOMPILING AND KESSARY_DEBIAN_ARCH)
      set(host_arch DEB_HOST_ARCH=${KESSARY_DEBIAN_ARCH})
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -E env
          "DEB_BUILD_MAINT_OPTIONS=hardening=+all $ENV{DEB_BUILD_MAINT_OPTIONS}"
          ${host_arch}
          ${DPKG_BUILDFLAGS} --get ${kind}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      separate_arguments(flags UNIX_COMMAND "${flags}")
      # The build type sets -g and -O; the path map is the one below.
      list(FILTER flags EXCLUDE REGEX "^-g|^-O|^-ffile-prefix-map=")
      if(kind STREQUAL "LDFLAGS")
        list(APPEND kessary_link_flags ${flags})
      else()
        list(APPEND kessary_compile_flags ${flags})
      endif()
    endforeach()
  else()
    # Without dpkg-buildflags, or for Windows, which it knows nothing of.
    kessary_checked_flags(kessary_compile_flags
      -fstack-protector-strong -Wformat -Werror=format-security)
    list(APPEND kessary_compile_flags -D_FORTIFY_SOURCE=2)
    if(NOT WIN32)
      kessary_checked_flags(kessary_link_flags LINK -Wl,-z,relro -Wl,-z,now)
    endif()
  endif()
  if(NOT WIN32)  # MinGW's GCC 12 crashes on -fstack-clash-protection for Windows targets
    kessary_checked_flags(kessary_compile_flags -fstack-clash-protection -fcf-protection
      -mbranch-protection=standard)
  endif()
  # Fortified copies need the optimiser, and under AddressSanitizer they would
  # bypass its checks of every access.
  if(KESSARY_SANITIZE OR CMAKE_BUILD_TYPE STREQUAL "Debug")
    list(FILTER kessary_compile_flags EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
  endif()
endif()

list(REMOVE_DUPLICATES kessary_compile_flags)
list(JOIN kessary_compile_flags " " compile_flags)
list(JOIN kessary_link_flags " " link_flags)
message(STATUS "Compiling with ${compile_flags} and linking with ${link_flags}")
foreach(language C CXX)
  set(CMAKE_${language}_FLAGS "${compile_flags} ${CMAKE_${language}_FLAGS}")
endforeach()
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS "${link_flags} ${CMAKE_${kind}_LINKER_FLAGS}")
endforeach()

add_compile_options(-ffp-contract=off)

# Source paths are written relative to the source folder, so that neither the
# debugging information nor the build-id the linker computes over it depends on
# where the tree was cloned; a build folder outside the tree becomes "build".
# (Options, not flags: they are quoted, and the paths may hold spaces.)
set(path_maps "${CMAKE_SOURCE_DIR}=.")
cmake_path(IS_PREFIX CMAKE_SOURCE_DIR "${CMAKE_BINARY_DIR}" binary_dir_inside)
if(NOT binary_dir_inside)
  list(APPEND path_maps "${CMAKE_BINARY_DIR}=build")
endif()
foreach(map IN LISTS path_maps)
  add_compile_options("-ffile-prefix-map=${map}")
endforeach()
