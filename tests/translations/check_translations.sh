#!/usr/bin/env bash
# Fails when a text of the window or of trivox-cli has no finished English translation,
# a text new in the sources and missing from the catalogue included.
# Usage: check_translations.sh LUPDATE SOURCE_DIR CATALOGUE DIR...
set -euo pipefail
lupdate=$1 source=$2 catalogue=$3
shift 3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$catalogue" "$work/check.ts"
cd "$source"
"$lupdate" -silent -locations none -no-obsolete -extensions cpp,h,ui -I . \
  -source-language ru -target-language en "$@" -ts "$work/check.ts"

# Prints the source text of each message whose translation is unfinished or empty.
awk '
  /<context>/ { context = "" }
  /<name>/ { sub(/.*<name>/, ""); sub(/<\/name>.*/, ""); context = $0 }
  /<source>/ { text = $0; sub(/.*<source>/, "", text); sub(/<\/source>.*/, "", text) }
  /<translation type="unfinished"|<translation><\/translation>/ { print context ": " text; bad++ }
  END { exit bad > 0 }
' "$work/check.ts" > "$work/missing" || {
  echo "Texts without a finished English translation ($(wc -l < "$work/missing")):"
  head -n 40 "$work/missing"
  echo "Run: cmake --build build --target update_translations, then translate translations/trivox_en.ts"
  exit 1
}
echo "Every text has its English translation."
