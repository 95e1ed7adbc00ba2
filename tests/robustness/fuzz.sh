#!/usr/bin/env bash
# Builds the picture fuzzer with clang and runs it for KESSARY_FUZZ_SECONDS (default
# 60; 0 runs the seeds once) from the shipped and made pictures and every kept
# finding. A new finding is copied into fuzz-regressions/ and the run fails.
#
#   fuzz.sh SOURCE_DIR WORK_DIR PICTURE_DIR
set -euo pipefail
source_dir=$1 work=$2 pictures=$3 seconds=${KESSARY_FUZZ_SECONDS:-60}
regressions=$source_dir/tests/robustness/fuzz-regressions
rm -rf "$work/findings" "$work/seeds"
mkdir -p "$work/corpus" "$work/seeds" "$work/findings"
# The fuzzer's own sanitizers; the project's build flags do not apply here.
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$source_dir/src" -I/usr/include/SOIL "$source_dir/tests/robustness/fuzz_picture.cpp" \
    "$source_dir/src/render/picture_check.cpp" "$source_dir/src/platform/platform_posix.cpp" \
    -lpng -lz -lSOIL -o "$work/fuzz_picture"
find "$source_dir/dat/img" "$pictures/good" "$pictures/bad" "$regressions" -maxdepth 1 -type f \
    ! -name README.md -exec cp -t "$work/seeds" {} +
[ "$seconds" -gt 0 ] && limit=-max_total_time=$seconds || limit=-runs=0
# Leaks are not looked for: SOIL's decoder is not ours to fix.
if ! "$work/fuzz_picture" "$limit" -rss_limit_mb=1024 -malloc_limit_mb=256 -timeout=10 \
    -max_len=65536 -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$work/findings/" \
    "$work/corpus" "$work/seeds"; then
    cp -v "$work/findings"/* "$regressions/"
    echo "fuzz.sh: new findings kept in $regressions; commit them" >&2
    exit 1
fi
