#!/usr/bin/env bash
# The SDL display on a real X server (Xvfb, x11 driver): the smoke program's push button is
# clicked through xdotool at its scaled position and reports BN_CLICKED, PrintScreen saves a PNG
# whose pixel inside the button face is the button-face colour, no OpenGL driver is loaded, and
# Escape ends the program.
# Usage: xvfb_smoke.sh PROGRAM PNG_PROBE. Exits 77 (skipped) when a tool is missing.
set -u
program=$1
probe=$2
. "$(dirname "$0")/xvfb_common.sh"
scale=2

PLAT_ROOT=$work/root PLAT_SHOTS=$work/shots PLAT_DISPLAY=sdl PLAT_SCALE=$scale SDL_VIDEODRIVER=x11 \
  "$program" >"$work/out" 2>"$work/err" &
pid=$!

poll grep -q '^ready ' "$work/out" || fail "the program did not start"
read -r _ bx by bw bh face < <(grep '^ready ' "$work/out")
window() { wid=$(xdotool search --onlyvisible --name '^Smoke$' 2>/dev/null | head -n 1); [ -n "$wid" ]; }
poll window || fail "no X window titled Smoke"

# The button's centre, in window pixels.
xdotool mousemove --window "$wid" $(((bx + bw / 2) * scale)) $(((by + bh / 2) * scale)) click 1
poll grep -q '^BN_CLICKED$' "$work/out" || fail "the click did not reach the button"
# The window has been presented by now: through SDL's software framebuffer, with no OpenGL driver.
gl=$(grep -Eo '/[^ ]*(libGL|libGLX|libEGL|libGLdispatch|libgallium|_dri)[^/ ]*\.so[^ ]*' "/proc/$pid/maps" | sort -u)
[ -z "$gl" ] || fail "the window loaded an OpenGL driver: $gl"

xdotool windowfocus "$wid"
xdotool key Print
shot() { grep -q '^platform: screenshot ' "$work/err"; }
poll shot || fail "PrintScreen wrote no PNG"
png=$(sed -n 's/^platform: screenshot //p' "$work/err" | head -n 1)
# Away from the frame and the centred text; the PNG holds the unscaled screen.
got=$("$probe" "$png" $((bx + bw / 4)) $((by + bh / 4))) || fail "cannot read $png"
[ "$got" = "$face" ] || fail "the button face reads $got in the screenshot, not $face"

xdotool key Escape
expect_end_with_zero "Escape did not end the program"
grep -q '^key 27$' "$work/out" || fail "Escape did not arrive as VK_ESCAPE"
! grep -q '^key 44$' "$work/out" || fail "the program saw PrintScreen"
echo "PASS: clicked, captured and closed"
