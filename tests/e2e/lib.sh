# Shared by the end-to-end test and scripts/run: a virtual display, the
# program under Wine in a desktop of its own, the probe, and typing.
# Expects $root (the project) and $out (a folder for logs and pictures).

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export MERKWANDEL_DESKTOP="${MERKWANDEL_DESKTOP:-Merkwandel}"
win64="$root/build/win64"
xvfb_pid=""

# Starts Xvfb on a display number no other server uses; sets DISPLAY.
start_display() {
  local numberfile="$out/display-number"
  : >"$numberfile"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$numberfile" >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$numberfile" ]] && break
    sleep 0.1
  done
  [[ -s "$numberfile" ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -1 "$numberfile")"
}

# Ends everything this prefix started, then the display.
stop_all() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

# Makes the prefix once (about ten seconds the first time).
prepare_prefix() {
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 || true
    "$wineserver" -w >/dev/null 2>&1 || true
  fi
}

# Wine's console writes CR LF; the lines are read without the CR.
probe() { "$wine" "$win64/merkwandel-probe.exe" "$@" | tr -d '\r'; }

# The program inside Wine's desktop window, which draws frames and captions.
start_program() {
  "$wine" explorer "/desktop=$MERKWANDEL_DESKTOP,1024x768" "$win64/merkwandel.exe" \
    >>"$out/program.log" 2>&1 &
}

# A Linux path as Wine shows it on drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Gives the keyboard to Wine's desktop window.
focus_desktop() {
  local desktop
  desktop=$(xdotool search --name "^$MERKWANDEL_DESKTOP - Wine desktop\$" | head -1)
  [[ -n "$desktop" ]] || { echo "no Wine desktop window" >&2; return 1; }
  xdotool windowfocus --sync "$desktop"
}

# Types both paths as a user does: Alt+L to the first "...", Tab into the
# field (its text is selected), the path, two Tabs into the second field,
# the path. The focus stays in the second field.
type_paths() {
  focus_desktop
  xdotool key --delay 80 alt+l Tab
  xdotool type --delay 15 "$1"
  xdotool key --delay 80 Tab Tab
  xdotool type --delay 15 "$2"
}

# The whole screen, and the part that shows a window frame ("x y w h").
screenshot() {
  local file=$1 frame=${2:-}
  import -window root "$file"
  if [[ -n "$frame" ]]; then
    read -r x y w h <<<"$frame"
    convert "$file" -crop "$((w + 16))x$((h + 16))+$((x - 8))+$((y - 8))" +repage "$file"
  fi
}
