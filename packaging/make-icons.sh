#!/bin/sh
# Draws the program's simple icons with ImageMagick: device tab icons, power
# and phone symbols, title bar symbols, the no-device picture, the tray icon
# and the desktop icon. Run from the repository root; the PNGs are kept in
# the repository, so this is needed only to change them.
set -e
SKIN=resources/skin/image
ICO=resources/skin/common/device_ico
PWR=resources/skin/power
mkdir -p "$ICO" "$PWR"

GREY='#9AA3B2'; WHITE='#FFFFFF'; BLUE='#2F8CFF'; GREEN='#2FD68A'; AMBER='#FFB366'

# Glyph drawing commands per device prefix, on a 56 x 34 canvas.
glyph() {
  case "$1" in
    kb) echo "roundrectangle 10,8 46,26 3,3 line 14,13 42,13 line 14,17 42,17 line 18,21 38,21" ;;
    ms) echo "roundrectangle 20,5 36,29 8,8 line 28,5 28,14 line 20,14 36,14" ;;
    hard_mp|soft_mp) echo "roundrectangle 8,9 48,25 4,4 line 12,21 44,21" ;;
    hd) echo "arc 14,5 42,29 180,360 roundrectangle 12,17 18,28 2,2 roundrectangle 38,17 44,28 2,2" ;;
    hub) echo "roundrectangle 12,11 44,23 3,3 line 18,17 20,17 line 26,17 28,17 line 34,17 36,17" ;;
    *) echo "circle 28,17 28,6 line 28,13 28,19 point 28,23" ;;
  esac
}

for p in kb ms hard_mp soft_mp hd hub unknow; do
  for state in normal selected; do
    colour=$GREY; [ "$state" = selected ] && colour=$WHITE
    convert -size 56x34 xc:none -fill none -stroke "$colour" -strokewidth 2 -draw "$(glyph $p)" \
      "$ICO/${p}_device_${state}.png"
    convert "$ICO/${p}_device_${state}.png" -fill "$GREEN" -stroke none -draw "circle 49,7 49,3" \
      "$ICO/${p}_device_synchro_${state}.png"
  done
done

# Power display, 18 x 18.
convert -size 18x18 xc:none -fill none -stroke "$GREY" -strokewidth 1.5 \
  -draw "roundrectangle 2,5 14,13 2,2" -fill "$GREY" -stroke none -draw "rectangle 15,7 16,11" "$PWR/power.png"
convert -size 18x18 xc:none -fill "$GREEN" -draw "polygon 10,1 4,10 8,10 7,17 14,7 10,7 11,1" "$PWR/powering.png"
convert -size 18x18 xc:none -fill "$BLUE" -draw "polygon 10,1 4,10 8,10 7,17 14,7 10,7 11,1" "$PWR/wuxian_powering.png"
convert -size 18x18 xc:none -fill none -stroke "$GREEN" -strokewidth 1.5 \
  -draw "roundrectangle 2,5 14,13 2,2" -fill "$GREEN" -stroke none -draw "rectangle 4,7 12,11 rectangle 15,7 16,11" \
  "$PWR/powered.png"
convert -size 18x18 xc:none -fill none -stroke "$BLUE" -strokewidth 1.5 \
  -draw "arc 2,4 16,18 225,315 arc 5,8 13,16 225,315" -fill "$BLUE" -stroke none -draw "circle 9,14 9,13" \
  "$PWR/wuxian.png"
for phone in iphone samsung other no_device; do
  colour=$WHITE; [ $phone = no_device ] && colour=$GREY
  convert -size 18x18 xc:none -fill none -stroke "$colour" -strokewidth 1.5 \
    -draw "roundrectangle 5,1 13,17 2,2 line 8,14 10,14" "$PWR/Phone_type_${phone}.png"
done

# Title bar symbols, 16 x 16.
convert -size 16x16 xc:none -fill none -stroke "$GREY" -strokewidth 1.5 \
  -draw "roundrectangle 1,4 15,12 4,4 line 4,8 6,8 line 5,7 5,9" -fill "$GREY" -stroke none \
  -draw "circle 11,7 11,6.2 circle 12,9.5 12,8.7" "$SKIN/title_gamemode.png"
convert -size 16x16 xc:none -fill "$GREY" -draw "circle 6,9 6,5 circle 10,8 10,3 roundrectangle 2,9 14,13 2,2" \
  "$SKIN/title_cloud.png"
convert -size 16x16 xc:none -fill none -stroke "$GREY" -strokewidth 1.5 -draw "ellipse 8,8 7,4 0,360" \
  -fill "$GREY" -stroke none -draw "circle 8,8 8,6" "$SKIN/title_eye.png"
convert -size 16x16 xc:none -fill none -stroke "$GREY" -strokewidth 1.5 \
  -draw "polygon 5,2 1,5 3,8 4,7 4,14 12,14 12,7 13,8 15,5 11,2 8,4" "$SKIN/title_skin.png"

# The no-device picture, 220 x 132: a keyboard outline with an unplugged lead.
KEYS=""
for r in 0 1 2; do
  for c in 0 1 2 3 4 5 6 7 8 9 10; do
    x=$((34 + c * 14)); y=$((52 + r * 16))
    KEYS="$KEYS roundrectangle $x,$y $((x + 10)),$((y + 10)) 2,2"
  done
done
convert -size 220x132 xc:none -fill '#1B1F26' -stroke '#2F3542' -strokewidth 2 \
  -draw "roundrectangle 20,40 200,120 10,10" -stroke '#3A4150' -fill '#232833' -draw "$KEYS" \
  -draw "roundrectangle 62,100 158,110 2,2" \
  -fill none -stroke "$BLUE" -strokewidth 3 -draw "path 'M 110,40 C 110,20 150,30 150,12'" \
  -fill "$BLUE" -stroke none -draw "roundrectangle 143,2 157,12 2,2" "$SKIN/no_device.png"

# Tray icon and desktop icon: a blue rounded square with a white K.
for size in 64 128; do
  r=$((size / 5)); m=$((size / 16))
  out="$SKIN/tray_icon.png"; [ $size = 128 ] && out=packaging/kavro-config.png
  convert -size ${size}x${size} xc:none -fill "$BLUE" -draw "roundrectangle $m,$m $((size - m)),$((size - m)) $r,$r" \
    -fill none -stroke "$WHITE" -strokewidth $((size / 10)) \
    -draw "line $((size * 36 / 100)),$((size * 28 / 100)) $((size * 36 / 100)),$((size * 72 / 100))" \
    -draw "line $((size * 66 / 100)),$((size * 28 / 100)) $((size * 40 / 100)),$((size * 50 / 100))" \
    -draw "line $((size * 46 / 100)),$((size * 46 / 100)) $((size * 66 / 100)),$((size * 72 / 100))" "$out"
done
