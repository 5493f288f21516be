#!/usr/bin/env bash
# End-to-end test of the start-up under Wine: with "AppData" and "Favorites"
# of a fresh Wine prefix pointed at test folders that hold two Firefox
# profiles, build/win64/merkwandel.exe opens with the last profile's
# bookmark file and the "Importierte Dateien" folder of the favourites in
# its two fields, and shows no message.
#
# Runs in a Wine prefix and on a virtual display of its own and ends both
# on every way out. The window's state and a screenshot go to
# build/e2e-startup/.
#
# Needs build/win64 (merkwandel.exe, merkwandel-probe.exe).
set -euo pipefail
# The whole test ends within 15 minutes, whatever hangs (its cleanup runs).
[[ -n "${MERKWANDEL_E2E_LIMITED:-}" ]] || MERKWANDEL_E2E_LIMITED=1 exec timeout 900 "$0" "$@"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/e2e-startup"
rm -rf "$out"
mkdir -p "$out"
export WINEPREFIX="$out/wineprefix"
export MERKWANDEL_DESKTOP=MerkwandelStartup
# shellcheck source=lib.sh
source "$root/tests/e2e/lib.sh"
trap stop_all EXIT
trap 'echo "FAIL startup_e2e.sh line $LINENO: $BASH_COMMAND" >&2' ERR

prepare_prefix

# Two profiles: sorted by name without regard to letter case, the last one
# is "XYZ.default-release" (by byte values it would be "abc.default"). A
# file in the profiles folder is no profile. The user's name is not ASCII.
appdata="$out/data/Anwendungsdaten Jürgen"
profiles="$appdata/Mozilla/Firefox/Profiles"
favorites="$out/data/Favoriten Jürgen"
mkdir -p "$profiles/abc.default" "$profiles/XYZ.default-release" "$favorites"
touch "$profiles/zzz.txt"
set_shell_folder AppData "$(windows_path "$appdata")"
set_shell_folder Favorites "$(windows_path "$favorites")"

start_display
start_program
probe window 60 >"$out/window.txt" || fail "the window does not open"
sleep 1  # room for a message box, if the start-up showed one
probe dialogs >"$out/dialogs.txt"
read -r fx fy fw fh < <(awk -F'\t' '$1 == "frame" { print $2, $3, $4, $5 }' "$out/window.txt")
screenshot "$out/window.png" "$fx $fy $fw $fh"

check "tHypertext: the last profile's bookmark file" "$(control "$out/window.txt" tHypertext 11)" \
  "$(windows_path "$profiles/XYZ.default-release/bookmarks.html")"
check "tFavoriten: the import folder in the favourites" "$(control "$out/window.txt" tFavoriten 11)" \
  "$(windows_path "$favorites/Importierte Dateien")"
check "no message" "$(cat "$out/dialogs.txt")" ""
check "the import folder is not made at start" \
  "$([[ -e "$favorites/Importierte Dateien" ]] && echo made || echo absent)" "absent"

probe close
probe wait-gone 10 || fail "the window does not close"
printf 'startup_e2e: screenshot %s\n' "$out/window.png"
finish_checks
