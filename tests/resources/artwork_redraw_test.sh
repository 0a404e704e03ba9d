#!/usr/bin/env bash
# The drawing scripts still make the committed artwork byte for byte, at
# 100 %, 150 % and 200 %: the images without text (the text needs
# ImageMagick and a font, and the large background and header take long)
# are redrawn in a scratch copy of the script folders and compared.
#   artwork_redraw_test.sh <source root>
set -u
root=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir -p "$scratch/app/resources/art" "$scratch/payload/app/art"
cp "$root/app/resources/art/draw_artwork.py" "$scratch/app/resources/art/"
cp "$root/payload/app/art/draw_app_art.py" "$scratch/payload/app/art/"

installer=() application=()
for suffix in "" _150 _200; do
  for stem in glyph_strip close_normal close_hover browse_normal browse_hover big_button_hover; do
    installer+=("$stem$suffix.png")
  done
  for stem in primary_normal light_hover glass_normal icon_gear icon_check icon_save icon_trash; do
    application+=("$stem$suffix.png")
  done
done
python3 "$scratch/app/resources/art/draw_artwork.py" "${installer[@]}" >/dev/null || fail "draw_artwork.py failed"
python3 "$scratch/payload/app/art/draw_app_art.py" "${application[@]}" >/dev/null || fail "draw_app_art.py failed"

checked=0
for name in "${installer[@]}"; do
  cmp -s "$scratch/app/resources/art/$name" "$root/app/resources/art/$name" || fail "app/resources/art/$name differs when redrawn"
  checked=$((checked + 1))
done
for name in "${application[@]}"; do
  cmp -s "$scratch/payload/app/art/$name" "$root/payload/app/art/$name" || fail "payload/app/art/$name differs when redrawn"
  checked=$((checked + 1))
done
# The menu's check mark: the generator writes the source file of all three.
(cd "$scratch" && mkdir -p ui/controls && python3 "$root/tools/make_menu_tick.py" >/dev/null) || fail "make_menu_tick.py failed"
cmp -s "$scratch/ui/controls/menu_tick_png.cpp" "$root/ui/controls/menu_tick_png.cpp" || fail "ui/controls/menu_tick_png.cpp differs when regenerated"
echo "$((checked + 1)) files redrawn byte for byte"
echo "1 passed, 0 failed"
