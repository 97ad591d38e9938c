#!/usr/bin/env bash
# rz12xp on a real X server (Xvfb, SDL's x11 driver) on an empty drive root: its window, titled
# "RZ12xp", stands centred on a 1024x768 screen, and a click on its "E&xit" button ends the
# program with 0.
# Usage: desktop_exit.sh PROGRAM. Exits 77 (skipped) when a tool is missing.
set -u
program=$1
. "$(dirname "$0")/xvfb_common.sh"

PLAT_ROOT=$work/root PLAT_DEVDIR=$work/root/dev PLAT_DISPLAY=sdl PLAT_SCALE=1 SDL_VIDEODRIVER=x11 \
  "$program" >"$work/out" 2>"$work/err" &
pid=$!

window() { wid=$(xdotool search --onlyvisible --name '^RZ12xp$' 2>/dev/null | head -n 1); [ -n "$wid" ]; }
poll window || fail "no X window titled RZ12xp"
geometry=$(xdotool getwindowgeometry "$wid")
echo "$geometry" | grep -q 'Position: 112,97 ' || fail "not centred: $geometry"
echo "$geometry" | grep -q 'Geometry: 800x574' || fail "not 800x574: $geometry"

# "E&xit" is the seventh button, 170x45 at (600, 30 + 49 * 6) in the window.
xdotool mousemove --window "$wid" $((600 + 85)) $((30 + 49 * 6 + 22)) click 1
expect_end_with_zero "the click on E&xit did not end the program"
echo "PASS: shown centred and ended by E&xit"
