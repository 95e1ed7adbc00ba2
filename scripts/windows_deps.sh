#!/usr/bin/env bash
# Builds the libraries the Windows game is made with (zlib, libpng, SDL 2,
# sdl12-compat and SOIL) from the sources pinned in cmake/windows-deps.txt, and
# prints the folder they are installed in.
#
# Sources: given KESSARY_DEPS_DIR, the archives in that folder, each checked
# against its SHA-256; otherwise each tag fetched from upstream, checked
# against its commit id. Either way a source that does not match stops the
# build. The result is kept under ${XDG_CACHE_HOME:-~/.cache}/kessary/, in a
# folder named by a digest of the pins, this script, the toolchain file and the
# compiler's version, so a second build reuses it and a change to any of them
# builds afresh. The libraries are built reproducibly: paths mapped away, dates
# fixed, no link time stamped into the DLLs, which carry no symbol table.
#
#   scripts/windows_deps.sh    prints the install folder (building it if need be)
set -euo pipefail
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pins=$repo_root/cmake/windows-deps.txt
toolchain=$repo_root/cmake/mingw-w64-x86_64.cmake
compiler=x86_64-w64-mingw32-gcc-posix

key=$( (cat "$pins" "${BASH_SOURCE[0]}" "$toolchain"; "$compiler" --version | head -n 1;
        cmake --version | head -n 1) | sha256sum | cut -c1-16)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/kessary
prefix=$cache/windows-deps-$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# Installed where it is kept, since the libraries' pkg-config and CMake files
# name that folder; it counts only once .complete is written, at the end.
mkdir -p "$cache"
rm -rf "$prefix"
work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
log=$work/log

# The row of the pins for library $1: repository, tag, commit, SHA-256.
pin() {
    awk -v name="$1" '$1 == name { print $2, $3, $4, $5 }' "$pins"
}

# Unpacks library $1's source into $work/src/$1, from the archive or upstream.
fetch() {
    local name=$1 repo tag commit sha ref archive
    read -r repo tag commit sha <<<"$(pin "$name")"
    ref=$tag
    [ "$tag" = "-" ] && ref=$commit
    archive=${KESSARY_DEPS_DIR:-}/$(basename "$repo")-$ref.tar.gz
    mkdir -p "$work/src/$name"
    if [ -n "${KESSARY_DEPS_DIR:-}" ]; then
        if ! echo "$sha  $archive" | sha256sum --check --quiet --status; then
            echo "windows_deps: $archive is missing or not the pinned $name $ref" >&2
            exit 1
        fi
        tar -xzf "$archive" -C "$work/src/$name" --strip-components=1
    else
        git -C "$work/src/$name" init -q
        if [ "$tag" = "-" ]; then
            git -C "$work/src/$name" fetch -q --depth 1 "$repo" "$commit"
        else
            git -C "$work/src/$name" fetch -q --depth 1 "$repo" "refs/tags/$tag:refs/tags/$tag"
        fi
        if [ "$(git -C "$work/src/$name" rev-parse FETCH_HEAD^{commit})" != "$commit" ]; then
            echo "windows_deps: $repo $ref is not the pinned commit $commit" >&2
            exit 1
        fi
        git -C "$work/src/$name" checkout -q FETCH_HEAD
    fi
}

# Configures, builds and installs library $1 with the CMake options that follow.
build() {
    local name=$1 src=$work/src/$1 out=$work/build/$1
    shift
    echo "windows_deps: building $name" >&2
    local map="-ffile-prefix-map=$src=. -ffile-prefix-map=$out=."
    CFLAGS="-O2 $map" CXXFLAGS="-O2 $map" \
        LDFLAGS="-s -static-libgcc -Wl,--no-insert-timestamp" \
        cmake -S "$src" -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" "$@" >>"$log" 2>&1 &&
        cmake --build "$out" -j "$(nproc)" >>"$log" 2>&1 &&
        cmake --install "$out" >>"$log" 2>&1 || {
        tail -n 40 "$log" >&2
        exit 1
    }
}

export SOURCE_DATE_EPOCH=0  # the libraries' own __DATE__ and __TIME__, if any
for name in zlib libpng SDL sdl12-compat SOIL; do
    fetch "$name"
done

build zlib
# Static zlib only: libpng and the game link it in.
rm -f "$prefix"/bin/libzlib.dll "$prefix"/lib/libzlib.dll.a
# The game vets every picture itself and skips the Adler-32 check where the
# check is done; Debian's libpng has that option on, upstream's default build not.
echo "option DISABLE_ADLER32_CHECK on" >"$work/adler32.dfa"
build libpng -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_TOOLS=OFF \
    -DPNG_EXECUTABLES=OFF -DDFA_XTRA="$work/adler32.dfa" \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libzlibstatic.a"
build SDL -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON
build sdl12-compat -DSDL12TESTS=OFF -DSDL12DEVEL=ON -DSTATICDEVEL=OFF \
    -DSDL2_INCLUDE_DIR="$prefix/include/SDL2"
# Without SDLmain, which writes stdout.txt and stderr.txt beside the program:
# the game has its own WinMain.
rm "$prefix/lib/libSDLmain.a"
sed -i 's/-lmingw32 -lSDLmain //' "$prefix/lib/pkgconfig/sdl12_compat.pc"
build SOIL -DSOIL_BUILD_TESTS=OFF

# The licences, for the zip.
mkdir -p "$prefix/licences"
cp "$work/src/zlib/LICENSE" "$prefix/licences/zlib.txt"
cp "$work/src/libpng/LICENSE" "$prefix/licences/libpng.txt"
cp "$work/src/SDL/LICENSE.txt" "$prefix/licences/SDL2.txt"
cp "$work/src/sdl12-compat/LICENSE.txt" "$prefix/licences/sdl12-compat.txt"
# SOIL has no licence file; its documentation (soil.html) states it.
{
    echo "SOIL, the Simple OpenGL Image Library, by Jonathan Dummer"
    echo "https://github.com/kbranigan/Simple-OpenGL-Image-Library (commit $(pin SOIL | cut -d' ' -f3))"
    echo
    grep -q '^Public Domain' "$work/src/SOIL/soil.html"  # what its documentation says
    echo "Licence: public domain (soil.html, under \"License\")."
    echo "It is based on stb_image 1.16, the public domain code from Sean Barrett."
} >"$prefix/licences/SOIL.txt"

touch "$prefix/.complete"
echo "$prefix"
