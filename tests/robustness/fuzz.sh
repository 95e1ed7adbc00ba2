#!/usr/bin/env bash
# Builds the picture fuzzer with clang, replays every kept finding, then fuzzes
# for a bounded time from the shipped pictures and the made ones.
#
#   fuzz.sh SOURCE_DIR WORK_DIR PICTURE_DIR
#
# KESSARY_FUZZ_SECONDS sets the fuzzing time (default 60; 0 only replays). A
# new finding is copied into tests/robustness/fuzz-regressions/, to be
# committed so that every later run replays it, and the run fails.
set -euo pipefail
source_dir=$1
work=$2
pictures=$3
seconds=${KESSARY_FUZZ_SECONDS:-60}
regressions=$source_dir/tests/robustness/fuzz-regressions

rm -rf "$work/findings" "$work/seeds"
mkdir -p "$work/corpus" "$work/seeds" "$work/findings"
# The fuzzer's own sanitizers; the project's build flags do not apply here.
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$source_dir/src" -I/usr/include/SOIL \
    "$source_dir/tests/robustness/fuzz_picture.cpp" "$source_dir/src/render/picture_check.cpp" \
    -lpng -lz -lSOIL -o "$work/fuzz_picture"

# Plain files only, and none large: the fuzzer reads its seeds whole.
find "$source_dir/dat/img" "$pictures/good" "$pictures/bad" -maxdepth 1 -type f -name '*.png' \
    -size -64k -exec cp -t "$work/seeds" {} + 2>/dev/null || true
mapfile -t replays < <(find "$regressions" -type f ! -name README.md)
[ ${#replays[@]} -eq 0 ] || cp -t "$work/seeds" "${replays[@]}"

# Leaks are not looked for: SOIL's decoder is not ours to fix.
fuzz_options=(-rss_limit_mb=1024 -malloc_limit_mb=256 -timeout=10 -max_len=65536
    -detect_leaks=0 -print_final_stats=1)

if [ ${#replays[@]} -gt 0 ]; then
    echo "== replaying ${#replays[@]} kept findings"
    "$work/fuzz_picture" "${fuzz_options[@]}" "${replays[@]}"
fi

[ "$seconds" -gt 0 ] || exit 0
echo "== fuzzing for $seconds s"
if ! "$work/fuzz_picture" "${fuzz_options[@]}" -max_total_time="$seconds" \
    -artifact_prefix="$work/findings/" "$work/corpus" "$work/seeds"; then
    cp -v "$work/findings"/* "$regressions/"
    echo "fuzz.sh: new findings kept in $regressions; commit them" >&2
    exit 1
fi
