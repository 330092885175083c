#!/usr/bin/env bash
# Takes the README's screenshots: runs the built program on the sample verses under Xvfb with
# a window manager, drives it with xdotool, and writes docs/*.png.
# Needs: xvfb xauth openbox xdotool imagemagick (apt-get install them), and a build in build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$build/tessaline" "$work/"
cp "$build/sample/verses.mdb" "$work/"
printf '%s\r\n' \
    "The LORD is my shepherd; I shall not want." "Psalm 23:1" \
    "Thy word is a lamp unto my feet, and a light unto my path." "Psalm 119:105" \
    "Tyger Tyger, burning bright, In the forests of the night; What immortal hand or eye, Could frame thy fearful symmetry?" "The Tyger (Blake)" \
    "" "" \
    "And what shoulder, & what art, Could twist the sinews of thy heart?" "The Tyger, third stanza (Blake)" \
    "" "" >"$work/favs.ini"

openbox >/dev/null 2>&1 &
sleep 1
"$work/tessaline" &
app=$!
sleep 2

window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shoot() { sleep 0.7; import -frame -window "$1" "$root/docs/$2.png"; }

practice=$(window Tessaline)
xdotool windowmove "$practice" 30 30
sleep 0.5
xdotool mousemove --window "$practice" 540 30 click 1
favourites=$(window "Favorite Verses")
xdotool windowmove "$favourites" 660 30
shoot "$favourites" favourites

xdotool mousemove --window "$favourites" 200 24 click 1
sleep 0.5
practice=$(window "Psalm 23:1")
xdotool type --delay 60 "The LORD is my s"
shoot "$practice" practice

xdotool mousemove --window "$practice" 540 95 click 1
card=$(window "Psalm 23:1" | tail -1)
for w in $(xdotool search --onlyvisible --name "^Psalm 23:1\$"); do [ "$w" != "$practice" ] && card=$w; done
xdotool windowmove "$card" 200 440
shoot "$card" card
xdotool key --window "$card" space
sleep 0.5

xdotool mousemove --window "$favourites" 480 144 click 1
editor=$(window verses)
xdotool windowmove "$editor" 700 400
sleep 0.5
xdotool key --window "$editor" Down Down Down
shoot "$editor" editor

# The practice window on screens scaled to 200 % and 150 %: the same layout, finer pictures.
# xdotool works in screen pixels, so every position is scaled too.
at() { awk -v v="$1" -v s="$2" 'BEGIN { printf "%d", v * s }'; }
for scale in 2 1.5; do
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    QT_SCALE_FACTOR=$scale "$work/tessaline" &
    app=$!
    sleep 2
    practice=$(window Tessaline)
    xdotool windowmove "$practice" 10 10
    sleep 0.5
    xdotool mousemove --window "$practice" "$(at 540 $scale)" "$(at 30 $scale)" click 1
    favourites=$(window "Favorite Verses")
    xdotool mousemove --window "$favourites" "$(at 200 $scale)" "$(at 24 $scale)" click 1
    sleep 0.5
    practice=$(window "Psalm 23:1")
    xdotool windowmove "$practice" 10 10
    xdotool windowactivate "$practice" 2>/dev/null || true
    xdotool type --delay 60 "The LORD is my s"
    shoot "$practice" "practice-$(at 100 $scale)"
done
