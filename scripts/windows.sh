# The Windows build, shared by scripts/package (`scripts/package windows`) and
# scripts/test: the packages it needs, the cross-build into build-windows/
# against the libraries scripts/windows_deps.sh builds, the zip, and the tests
# under Wine. Sourced after common.sh, not run.

# MinGW-w64's GCC (the POSIX-threads variant), Ninja for the libraries, Python
# for the icon and the zip; for the tests, GoogleTest's sources and Wine (64-bit) on a headless X server
# with a window manager, the X tools that drive it and ImageMagick's import.
windows_packages=(g++-mingw-w64-x86-64-posix cmake ninja-build pkg-config python3 git)
windows_test_packages=(googletest wine wine64 xvfb openbox x11-utils xdotool imagemagick)

# CI and this machine have the pinned archives beside the repository.
if [ -z "${KESSARY_DEPS_DIR:-}" ] && [ -d "$repo_root/../shared/deps" ]; then
    KESSARY_DEPS_DIR=$(cd "$repo_root/../shared/deps" && pwd)
    export KESSARY_DEPS_DIR
fi

# Builds the game for Windows in release mode into build-windows, with the
# CMake options given (-DKESSARY_TESTS=ON for the unit tests).
windows_build() {
    export_source_date
    local deps
    deps=$("$repo_root/scripts/windows_deps.sh")
    PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig:$deps/share/pkgconfig" PKG_CONFIG_PATH="" \
        cmake -S "$repo_root" -B "$repo_root/build-windows" \
        -DCMAKE_TOOLCHAIN_FILE="$repo_root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_FIND_ROOT_PATH="$deps" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
        -DKESSARY_TOOLS=OFF -DKESSARY_BENCH=OFF "$@" >/dev/null
    cmake --build "$repo_root/build-windows" -j "$(nproc)"
}

# Writes build-windows/kessary-<version>-windows-x64.zip from build-windows.
windows_zip() {
    export_source_date
    python3 "$repo_root/scripts/windows_zip.py" "$repo_root" "$repo_root/build-windows" \
        "$("$repo_root/scripts/windows_deps.sh")"
}

# Runs a command with a private Wine: its own prefix in a temporary folder,
# no debugging output, no offer to install Mono or Gecko. A wineserver started
# first and stopped last, so none is left holding the caller's output open
# (ctest waits for every holder of its pipe).
windows_with_wine() {
    local prefix status=0
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/kessary-wine.XXXXXX")
    (
        export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
        wineserver -p
        # Wine's services start here, not inside the command, where they would
        # hold its output open too (ctest's listing of the tests waits for that).
        wineboot --init >/dev/null 2>&1
        "$@"
    ) || status=$?
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    rm -rf "$prefix"
    return $status
}

# Two clones of the commit, one in a folder named outside ASCII, each packed by
# scripts/package windows, must give the same zip, byte for byte.
windows_reproducible() {
    local work status=0
    work=$(mktemp -d "${TMPDIR:-/tmp}/kessary-reproducible.XXXXXX")
    for clone in first second-é; do
        git clone -q "$repo_root" "$work/$clone"
        (cd "$work/$clone" && scripts/package windows >/dev/null) || status=$?
    done
    if [ $status -eq 0 ]; then
        cmp "$work"/first/build-windows/kessary-*-windows-x64.zip \
            "$work"/second-*/build-windows/kessary-*-windows-x64.zip || status=$?
    fi
    rm -rf "$work"
    [ $status -eq 0 ] && echo "windows: two clones give the same zip"
    return $status
}

# The whole Windows stage of scripts/test: cross-built unit tests under Wine,
# then the zip, checked and played under Wine in Xvfb, and made again from two
# clones.
windows_test() {
    windows_build -DKESSARY_TESTS=ON
    windows_zip
    windows_with_wine ctest --test-dir "$repo_root/build-windows" --output-on-failure
    (cd "$repo_root/build-windows" &&  # its screenshots land here
        windows_with_wine python3 "$repo_root/tests/windows/zip_test.py" \
            "$repo_root"/build-windows/kessary-*-windows-x64.zip -v)
    windows_reproducible
}
