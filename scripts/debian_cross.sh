# Cross-building for another Debian architecture (arm64 for the Raspberry Pi):
# the host's cross compiler and emulator, and a root of that architecture's
# libraries to build against and run the tests in. Sourced after common.sh, not
# run.
#
# The root is downloaded and unpacked, never installed: installing :arm64
# development packages on the host would upgrade or remove amd64 ones, and some
# (libsoil-dev) cannot be co-installed at all. A private apt configuration of
# that architecture only (its own lists, cache and an empty dpkg status, the
# host's sources) resolves what the packages below need, apt-get download
# fetches it and dpkg-deb -x unpacks it. A dpkg database beside it, whose file
# lists name the unpacked files where they are, lets dpkg-shlibdeps find the
# packages and symbols files behind the libraries the program links. The root
# is cached under $XDG_CACHE_HOME/kessary, keyed by the architecture and the
# package list, and made in a scratch folder first, so an interrupted run never
# leaves a half-made one behind.

# What the root holds: the C and C++ runtime to compile against, the game's
# libraries, GoogleTest for the unit tests, and for playing the packaged game
# under the emulator Mesa's software renderer and SDL 2 (which the SDL 1.2
# library opens at run time) with the X libraries it needs.
cross_root_packages=(libc6-dev libstdc++-12-dev libgcc-12-dev libgl-dev libgl1-mesa-dri
    libsoil-dev libpng-dev zlib1g-dev "$sdl_package" libsdl2-2.0-0 libgtest-dev)
# Bump when the way the root is laid out changes, so old caches are not reused.
cross_root_layout=1

# Installs the cross compiler and emulator for Debian architecture $1 and what
# the stage needs besides, then sets cross_arch, cross_triplet
# (aarch64-linux-gnu), cross_emulator (qemu-aarch64-static) and cross_root
# (made if not cached).
cross_prepare() {
    local arch=$1
    cross_arch=$arch
    cross_triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
    local cpu
    cpu=$(dpkg-architecture -a "$arch" -qDEB_HOST_GNU_CPU 2>/dev/null)
    cross_emulator=qemu-$cpu-static
    ensure_packages "g++-$cross_triplet" "binutils-$cross_triplet" qemu-user-static \
        dpkg-dev file cmake pkg-config
    cross_make_root "$arch"
}

# Cross-builds into the folder $1 (under the repository root) with the extra
# CMake options that follow. A folder last built against another root (its
# package list changed, or the cache moved) starts afresh, since CMake keeps
# the libraries it found in the old one; the root is noted once a build succeeds.
cross_build_into() {
    local dir=$1
    shift
    local note=$repo_root/$dir/kessary-cross-root
    if [ "$(cat "$note" 2>/dev/null)" != "$cross_root" ]; then
        rm -rf "$repo_root/$dir/CMakeCache.txt" "$repo_root/$dir/CMakeFiles" "$note"
    fi
    build_into "$dir" -DCMAKE_TOOLCHAIN_FILE="$repo_root/cmake/debian-cross.cmake" \
        -DKESSARY_DEBIAN_ARCH="$cross_arch" -DKESSARY_CROSS_ROOT="$cross_root" "$@"
    echo "$cross_root" >"$note"
}

# Sets cross_root to the unpacked root of architecture $1, making it if needed.
cross_make_root() {
    local arch=$1
    local key
    key=$(printf '%s\n' "$arch" "$cross_root_layout" "${cross_root_packages[@]}" |
        sha256sum | cut -c1-16)
    local cache=${XDG_CACHE_HOME:-$HOME/.cache}/kessary
    cross_root=$cache/$arch-root-$key
    [ -d "$cross_root" ] && return 0

    echo "== making the $arch root in $cross_root"
    local work
    work=$(mktemp -d "$cache/.$arch-root-XXXXXX" 2>/dev/null ||
        { mkdir -p "$cache" && mktemp -d "$cache/.$arch-root-XXXXXX"; })
    local apt_dir=$work/apt root=$work/root
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/debs" \
        "$root/var/lib/dpkg/info"
    : >"$apt_dir/status"
    local apt=(apt-get -qq -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::State::status=$apt_dir/status"
        -o "Dir::Cache=$apt_dir" -o "Dir::Cache::archives=$apt_dir/archives"
        -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
    "${apt[@]}" update
    # Everything the packages need, from nothing installed: name=version, one a line.
    local closure
    closure=$("${apt[@]}" install --no-install-recommends -s "${cross_root_packages[@]}" |
        sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p')
    # shellcheck disable=SC2086  # one word a package
    (cd "$apt_dir/debs" && "${apt[@]}" download $closure)

    local deb control=$work/control
    for deb in "$apt_dir"/debs/*.deb; do
        cross_unpack "$deb" "$root" "$control" "$cross_root"
    done
    echo 1 >"$root/var/lib/dpkg/info/format"
    cross_fix_symlinks "$root"
    # Another run may have made the same root meanwhile: then that one stays.
    mv -T "$root" "$cross_root" 2>/dev/null || true
    rm -rf "$work"
    echo "== $(echo "$closure" | wc -w) packages, $(du -sh "$cross_root" | cut -f1)"
}

# Unpacks the package $1 into the root $2 (with $3 for scratch) and records it
# in the root's dpkg database the way dpkg would: its control fields in status,
# its files in info/<name>.list and its shlibs and symbols files beside them.
# Packages that may be co-installed for several architectures are named
# <name>:<arch> there. The files are listed where they will be once the root
# is moved to $4, which is where dpkg-shlibdeps looks them up.
cross_unpack() {
    local deb=$1 root=$2 control=$3 final=$4
    local info=$root/var/lib/dpkg/info
    rm -rf "$control" && dpkg-deb -e "$deb" "$control"
    local name
    name=$(dpkg-deb -f "$deb" Package)
    if [ "$(dpkg-deb -f "$deb" Multi-Arch)" = same ]; then
        name=$name:$(dpkg-deb -f "$deb" Architecture)
    fi
    dpkg-deb -X "$deb" "$root" | sed -e 's|^\./|/|' -e 's|/$||' -e '/^$/d' \
        -e "s|^|$final|" >"$info/$name.list"
    local file
    for file in shlibs symbols; do
        [ -f "$control/$file" ] && cp "$control/$file" "$info/$name.$file"
    done
    sed '/^Package:/a Status: install ok installed' "$control/control" >>"$root/var/lib/dpkg/status"
    echo >>"$root/var/lib/dpkg/status"
}

# Points the root's absolute symbolic links (libfoo.so -> /lib/...) into the root.
cross_fix_symlinks() {
    local root=$1 link target
    while IFS= read -r -d '' link; do
        target=$(readlink "$link")
        case $target in
            /*) ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$root$target")" "$link" ;;
        esac
    done < <(find "$root" -type l -print0)
}
