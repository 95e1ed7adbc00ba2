#!/bin/sh
# The picture generator still draws every committed file pixel for pixel (the
# 46 pictures, the contact sheets, the icons at the size in their names), writes
# the same bytes on every run, and fails when it cannot write.
#   redraw_test.sh KESSARY_PICTURES REPO_ROOT
set -eu
tool=$1 repo=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "$*"; exit 1; }
for job in "dat/img: 46" "docs:--sheets 2" "dist/icons:--icons 4"; do
    folder=${job%%:*} option=${job#*:}
    count=${option##* } option=${option% *}
    rm -rf "$scratch/1" "$scratch/2"
    "$tool" $option "$scratch/1" && "$tool" $option "$scratch/2"
    [ "$(ls "$scratch/1" | wc -l)" -eq "$count" ] || fail "not $count files in $folder"
    for drawn in "$scratch"/1/*; do
        name=${drawn##*/}
        committed=$repo/$folder/$name  # the same bytes, or else the same pixels
        cmp -s "$drawn" "$committed" ||
            compare -metric AE "$drawn" "$committed" null: 2>/dev/null ||
            fail "$folder/$name no longer matches; rerun kessary_pictures $option"
        cmp -s "$drawn" "$scratch/2/$name" || fail "$name differs between runs"
        case $name in kessary-*) size=${name#kessary-} size=${size%.png}
            [ "$(identify -format %wx%h "$drawn")" = "${size}x$size" ] || fail "$name: not $size px"
        esac
    done
done
: >"$scratch/file"
if "$tool" "$scratch/file/img" 2>/dev/null; then fail "wrote nowhere, yet succeeded"; fi
echo "every picture, sheet and icon redrawn"
