# Shared by the end-to-end tests, scripts/run and scripts/with-display: a
# virtual display, the program under Wine in a desktop of its own, the probe,
# typing, and the checks.
# Expects $root (the project) and $out (a folder for logs and pictures).

# The Windows build they drive, $windows: the 32-bit product (build/win32)
# with Wine's 32-bit loader where this machine starts 32-bit programs,
# otherwise build/win64 (scripts/windows-build). Both run in one 64-bit
# prefix; its registry is set with wine64.
MERKWANDEL_WINDOWS_BUILD=$("$root/scripts/windows-build")
export MERKWANDEL_WINDOWS_BUILD
windows="$root/build/$MERKWANDEL_WINDOWS_BUILD"
wine64=/usr/lib/wine/wine64
wine=$wine64
[[ $MERKWANDEL_WINDOWS_BUILD != win32 ]] || wine=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver64
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export MERKWANDEL_DESKTOP="${MERKWANDEL_DESKTOP:-Merkwandel}"
xvfb_pid=""

# Starts Xvfb on a display number no other server uses; sets DISPLAY.
start_display() {
  local numberfile="$out/display-number"
  : >"$numberfile"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$numberfile" >"$out/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -s "$numberfile" ]] && break; sleep 0.1; done
  [[ -s "$numberfile" ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -1 "$numberfile")"
}

# hold FILE [--share]: another program holds FILE (a Linux path) open until
# release, letting nobody else open it or, with --share, letting others
# read and write it too (as Firefox holds its database).
holders=()
hold() {
  local log="$out/hold-${#holders[@]}.txt"
  : >"$log"
  "$wine" "$windows/merkwandel-probe.exe" hold ${2:+"$2"} "$(windows_path "$1")" 120 >"$log" 2>&1 &
  holders+=($!)
  for _ in $(seq 100); do grep -q '^held' "$log" && return 0; sleep 0.1; done
  return 1
}
release() {
  local pid
  for pid in "${holders[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  holders=()
}

# Ends what hold started, everything this prefix started, then the display.
stop_all() {
  release
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

# Makes the prefix once (about ten seconds the first time).
prepare_prefix() { "$root/scripts/wine-run" --prepare; }

# Wine's console writes CR LF; the lines are read without the CR.
probe() { "$wine" "$windows/merkwandel-probe.exe" "$@" | tr -d '\r'; }

# The program inside Wine's desktop window, which draws frames and captions.
start_program() {
  "$wine" explorer "/desktop=$MERKWANDEL_DESKTOP,1024x768" "$windows/merkwandel.exe" \
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
  [[ -n "$frame" ]] || return 0
  read -r x y w h <<<"$frame"
  convert "$file" -crop "$((w + 16))x$((h + 16))+$((x - 8))+$((y - 8))" +repage "$file"
}

# ---- Checks: each one counted, every failure shown ----
passed=0
failed=0
check() {  # check NAME ACTUAL EXPECTED
  if [[ "$2" == "$3" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n  actual:   %s\n  expected: %s\n' "$1" "$2" "$3"
  fi
}
# The tally; fails when any check failed.
finish_checks() {
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}
# Ends the test at once when a step it can't go on without fails.
fail() {
  failed=$((failed + 1))
  printf 'FAIL %s\n' "$*"
  finish_checks || exit 1
}
field() {  # field FILE KEY COLUMN: the column of the first line with that key
  awk -F'\t' -v key="$2" -v col="$3" '$1 == key { print $col; exit }' "$1"
}
control() {  # control FILE NAME COLUMN (4 x, 5 y, 6 w, 7 h, 8 visible, 9 enabled, 10 default, 11 text)
  awk -F'\t' -v name="$2" -v col="$3" '$1 == "control" && $2 == name { sub(/\|$/, "", $11); print $col; exit }' "$1"
}

# ---- The per-user shell folders that the start-up reads ----
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
set_shell_folder() {  # set_shell_folder NAME WINDOWS-PATH
  "$wine64" reg add "$shell_folders" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
}
remove_shell_folder() {  # remove_shell_folder NAME (no matter whether it is there)
  "$wine64" reg delete "$shell_folders" /v "$1" /f >/dev/null 2>&1 || true
}
