# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) in a cross build, before the DEB
# generator runs dpkg-shlibdeps, which inherits cpack's environment.
#
# dpkg-shlibdeps finds the libraries the program links in the root (the
# generator passes the root's library folders with -l), then asks dpkg which
# package each belongs to and reads that package's symbols or shlibs file. The
# host's dpkg knows no package of the target architecture, so without the root's
# own database every library would be left out of Depends but SDL's (named by
# deb_sdl_depends.cmake): the root's database lists the root's files where they
# are. DEB_HOST_ARCH makes it read objects with the target's objdump.
set(ENV{DPKG_ADMINDIR} "${CPACK_KESSARY_CROSS_ROOT}/var/lib/dpkg")
set(ENV{DEB_HOST_ARCH} "${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
