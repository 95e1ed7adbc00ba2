# Shared by the scripts here (play, test, package, bench, record-play-gif): the
# packages they need, installing the missing ones, configuring and building.
# Sourced, not run.

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Packages the game needs to build and run. The SDL 1.2 API may come from the
# SDL-1.2-on-SDL2 library (our default) or from classic SDL 1.2: either one
# that provides pkg-config's "sdl" will do.
build_packages=(build-essential cmake pkg-config libgl-dev libgl1-mesa-dri libsoil-dev libpng-dev)
sdl_package=libsdl1.2-compat-dev

# Installs whatever of the given packages is missing; the SDL package counts as
# present when pkg-config finds any "sdl". As root it runs apt-get itself; with
# passwordless sudo it uses sudo; otherwise it prints the command to run and
# stops.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if [ "$pkg" = "$sdl_package" ] && pkg-config --exists sdl 2>/dev/null; then
            continue
        fi
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            sudo=(sudo)
        else
            echo "kessary needs these packages; please run:" >&2
            echo "  sudo apt-get install ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Dates everything built after the last commit (after the changelog's last
# entry outside a git checkout), as SOURCE_DATE_EPOCH, unless that is already
# set, so that what is packed is a function of the commit.
export_source_date() {
    if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
        SOURCE_DATE_EPOCH=$(git -C "$repo_root" log -1 --format=%ct 2>/dev/null ||
            date -d "$(sed -n 's/^ -- .*>  //p' "$repo_root/dist/changelog" | head -n 1)" +%s)
        export SOURCE_DATE_EPOCH
    fi
}

# Configures and builds into the folder $1 (under the repository root) with the
# extra CMake options that follow, on every core.
build_into() {
    local dir=$1
    shift
    cmake -S "$repo_root" -B "$repo_root/$dir" "$@" >/dev/null
    cmake --build "$repo_root/$dir" -j "$(nproc)"
}

# What the tests need beyond the build: GoogleTest, a headless X server, a
# window manager for it (full screen needs one), the X tools the end-to-end
# tests drive it with and ImageMagick for its screenshots, cairo for the picture
# generator, valgrind, strace (one open per picture), clang and its sanitizer
# runtime for the fuzzer, Python 3 for the harness, Google Benchmark, and what
# makes and checks the Debian package (dpkg-dev and file for its dependency
# list, lintian, devscripts' hardening-check, git for the clones it is rebuilt
# from) and its desktop files; SDL 2's headers for the virtual pads the
# end-to-end tests plug in beneath the SDL 1.2 library.
test_packages=(googletest libgtest-dev libsdl2-dev xvfb openbox x11-utils xdotool imagemagick
    libcairo2-dev valgrind strace clang libclang-rt-14-dev python3
    libbenchmark-dev dpkg-dev file lintian devscripts git desktop-file-utils appstream)
