#!/usr/bin/env bash
# Makes the screenshots of the user's guide (images/) and of the software
# centre from the program built in BUILD (default: build/), under Xvfb:
#   guide/make-screenshots.sh [BUILD]
# Run it again whenever the windows change. The pictures in them are drawn
# here from fixed seeds, so the screenshots come out the same each time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Landscapes of a sort: a sky over fields, each from its own seed.
draw() { # NAME SEED SKY GROUND
  convert -seed "$2" -size 1600x1067 "plasma:$3" \
    \( -seed "$2" -size 1600x460 "plasma:$4" \) -gravity south -composite \
    -blur 0x1.5 -quality 90 "$1"
}
mkdir -p "$work/pictures/travel" "$work/pictures/garden"
i=0
for pair in "skyblue-white forestgreen-olive" "lightskyblue-lavender goldenrod-sienna" \
            "lightblue-white seagreen-darkolivegreen" "lightsteelblue-white peru-darkkhaki" \
            "orange-lightpink darkslateblue-midnightblue" "paleturquoise-white yellowgreen-darkgreen" \
            "lightcyan-skyblue tan-saddlebrown" "mistyrose-lightblue mediumseagreen-darkgreen"; do
  i=$((i + 1))
  draw "$work/pictures/travel/IMG_$((4100 + i)).jpg" "$i" ${pair}
done
for j in 1 2 3; do
  draw "$work/pictures/garden/DSC_00$j.jpg" "$((20 + j))" "white-lightyellow" "hotpink-forestgreen"
done

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$HOME"
store="$work/store.pdb"
"$build/tools/mkstore" "$store"
"$build/bin/quilbo" --store "$store" --import 旅行 "$work/pictures/travel" >/dev/null
"$build/bin/quilbo" --store "$store" --import 花园 "$work/pictures/garden" >/dev/null
"$build/bin/quilbo" --store "$store" --import 家人 "$work/pictures/travel/IMG_4101.jpg" >/dev/null

shoot() { # LANGUAGE FOLDER
  mkdir -p "$2"
  LANGUAGE="$1" xvfb-run -a -s "-screen 0 1280x800x24" "$build/guide/guidescreenshots" "$store" "$2"
}
shoot zh_CN "$here/images"
shoot en "$here/images/en"
