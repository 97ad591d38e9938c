# Installs the Debian packages the build needs that are missing; sourced by the scripts.
# apt-get update runs only when something is missing.

# apt-get with its arguments, patient with another install that holds the package manager's locks:
# dpkg's locks through apt's own time-out, and the package lists' lock (which apt-get update takes
# without one) by trying again, each for up to 10 minutes. Any other failure ends it at once, its
# message shown.
survey_apt() {
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  local deadline=$((SECONDS + 600)) err status
  err="$(mktemp)"
  while :; do
    status=0
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 "$@" 2>"$err" || status=$?
    cat "$err" >&2
    if [ "$status" -ne 0 ] && grep -q "Could not get lock" "$err" && [ "$SECONDS" -lt "$deadline" ]; then
      echo "Another install holds the package manager: waiting for it" >&2
      sleep 5
      continue
    fi
    rm -f "$err"
    return "$status"
  done
}

survey_install_deps() {
  local wanted=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
                libsdl2-dev xvfb xauth xdotool clang libclang-rt-14-dev "$@")
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    survey_apt update || { echo "deps: apt-get update failed" >&2; return 1; }
    survey_apt install -y --no-install-recommends "${missing[@]}" || { echo "deps: installing ${missing[*]} failed" >&2; return 1; }
  fi
}
