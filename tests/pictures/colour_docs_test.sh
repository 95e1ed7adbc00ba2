#!/bin/sh
# docs/colour-vision.md's tables and its two contact sheets are what
# kessary_colour_vision makes of the committed pictures, byte for byte (or
# else pixel for pixel), and the tool passes them.
#   colour_docs_test.sh KESSARY_COLOUR_VISION REPO_ROOT
set -eu
tool=$1 repo=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "$*"; exit 1; }
cp "$repo/docs/colour-vision.md" "$scratch/"
"$tool" --docs "$scratch" "$repo/dat/img" >/dev/null ||
    fail "kessary_colour_vision finds groups too close (or failed); see its output"
cmp -s "$scratch/colour-vision.md" "$repo/docs/colour-vision.md" ||
    fail "docs/colour-vision.md: its tables are not the pictures'; rerun kessary_colour_vision --docs docs"
for sheet in colour-vision.png colour-vision-in-play.png; do
    cmp -s "$scratch/$sheet" "$repo/docs/$sheet" ||
        compare -metric AE "$scratch/$sheet" "$repo/docs/$sheet" null: 2>/dev/null ||
        fail "docs/$sheet no longer matches; rerun kessary_colour_vision --docs docs"
done
echo "the colour-vision tables and sheets show the committed pictures"
