# Cross-building for another Debian architecture with Debian's cross compilers,
# against a root of that architecture's packages unpacked into a folder (as
# scripts/debian_cross.sh makes it), and running what is built under
# qemu-user, so that ctest runs the unit tests as they are.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/debian-cross.cmake \
#         -DKESSARY_DEBIAN_ARCH=arm64 -DKESSARY_CROSS_ROOT=<root> ...
#
# binfmt_misc cannot be counted on, so the emulator is named: qemu's -L makes
# the root the place where the program's dynamic linker, and every library and
# file it opens by an absolute path, are looked for first.
set(KESSARY_DEBIAN_ARCH arm64 CACHE STRING "Debian architecture to build for")
set(KESSARY_CROSS_ROOT "" CACHE PATH "Unpacked root of that architecture's packages")
# try_compile's projects read this file again and need both.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESSARY_DEBIAN_ARCH KESSARY_CROSS_ROOT)

# One row per architecture: Debian's name, GNU triplet, CMake's processor name, emulator.
set(kessary_debian_architectures
  "arm64|aarch64-linux-gnu|aarch64|qemu-aarch64-static")  # 64-bit ARM: Raspberry Pi 3 to 5

foreach(row IN LISTS kessary_debian_architectures)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 arch)
  if(arch STREQUAL KESSARY_DEBIAN_ARCH)
    list(GET row 1 KESSARY_CROSS_TRIPLET)
    list(GET row 2 CMAKE_SYSTEM_PROCESSOR)
    list(GET row 3 kessary_emulator)
  endif()
endforeach()
if(NOT KESSARY_CROSS_TRIPLET)
  message(FATAL_ERROR "No cross-building entry for Debian architecture ${KESSARY_DEBIAN_ARCH}")
endif()
if(NOT IS_DIRECTORY "${KESSARY_CROSS_ROOT}/usr/lib/${KESSARY_CROSS_TRIPLET}")
  message(FATAL_ERROR "KESSARY_CROSS_ROOT (${KESSARY_CROSS_ROOT}) holds no ${KESSARY_DEBIAN_ARCH} root")
endif()

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${KESSARY_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KESSARY_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${KESSARY_CROSS_TRIPLET})
set(CMAKE_SYSROOT ${KESSARY_CROSS_ROOT})
set(CMAKE_FIND_ROOT_PATH ${KESSARY_CROSS_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)  # the build runs the host's tools
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The root's headers are named as they would be on the target, wherever the root is.
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${KESSARY_CROSS_ROOT}=")
set(CMAKE_CXX_FLAGS_INIT "-ffile-prefix-map=${KESSARY_CROSS_ROOT}=")
set(CMAKE_CROSSCOMPILING_EMULATOR ${kessary_emulator} -L ${KESSARY_CROSS_ROOT})

# pkg-config reads the root's .pc files only, and puts the root before their paths.
set(ENV{PKG_CONFIG_LIBDIR} "${KESSARY_CROSS_ROOT}/usr/lib/${KESSARY_CROSS_TRIPLET}/pkgconfig:\
${KESSARY_CROSS_ROOT}/usr/lib/pkgconfig:${KESSARY_CROSS_ROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${KESSARY_CROSS_ROOT})
