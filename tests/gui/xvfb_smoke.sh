#!/usr/bin/env bash
# The SDL display on a real X server (Xvfb, x11 driver): the smoke program's push button is
# clicked through xdotool at its scaled position and reports BN_CLICKED, PrintScreen saves a PNG
# whose pixel inside the button face is the button-face colour, no OpenGL driver is loaded, and
# Escape ends the program.
# Usage: xvfb_smoke.sh PROGRAM PNG_PROBE. Exits 77 (skipped) when a tool is missing.
set -u
program=$1
probe=$2
for tool in xvfb-run xauth xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ -z "${SMOKE_ON_XVFB:-}" ]; then
  SMOKE_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

scale=2
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  echo "--- program output"; cat "$work/out" 2>/dev/null
  echo "--- program errors"; cat "$work/err" 2>/dev/null
  exit 1
}
# The whole run ends within 10 s: every wait polls until this deadline at most.
deadline=$(($(date +%s%N) / 1000000 + 9000))
poll() {
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

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
ended() { ! kill -0 "$pid" 2>/dev/null; }
poll ended || fail "Escape did not end the program"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -q '^key 27$' "$work/out" || fail "Escape did not arrive as VK_ESCAPE"
! grep -q '^key 44$' "$work/out" || fail "the program saw PrintScreen"
echo "PASS: clicked, captured and closed"
