# Sourced by the scripts that run a program on a real X server. It skips the test (exit 77) when a
# tool is missing, runs the calling script again under xvfb-run on a 1024x768 screen, and gives it
# a work folder removed at exit (with the program, whose process id goes into pid, ended), fail
# (the program's output and errors from $work/out and $work/err, then exit 1), poll (runs its
# command until it succeeds, within 10 s of the start) and expect_end_with_zero (the program ends
# in time with status 0, else fail with its message).
for tool in xvfb-run xauth xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ -z "${GUI_ON_XVFB:-}" ]; then
  GUI_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

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
deadline=$(($(date +%s%N) / 1000000 + 9000))
poll() {
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
# The server answers before the program starts, so a server that failed shows as such.
poll xdotool getdisplaygeometry >/dev/null 2>&1 || fail "the X server on $DISPLAY does not answer"
expect_end_with_zero() {
  ended() { ! kill -0 "$pid" 2>/dev/null; }
  poll ended || fail "$1"
  wait "$pid"
  local status=$?
  pid=
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
