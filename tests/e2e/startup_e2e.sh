#!/usr/bin/env bash
# End-to-end test of the start-up under Wine: with "AppData" and "Favorites"
# of a fresh Wine prefix pointed at test folders that hold two Firefox
# profiles, build/win64/merkwandel.exe opens with the last profile's
# bookmark file and the "Importierte Dateien" folder of the favourites in
# its two fields, and shows no message. With only Firefox's bookmark
# database (places.sqlite) in that profile, it proposes the database, and
# "Starten" writes its shortcuts and reports their count, also while
# another program holds the database open as Firefox does.
#
# Runs in a Wine prefix and on a virtual display of its own and ends both
# on every way out. The window's state and a screenshot go to
# build/e2e-startup/.
#
# Needs build/win64 (merkwandel.exe, merkwandel-probe.exe, merkwandel-hold.exe)
# and build/host (merkwandel-bench-generate).
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

# ---- A profile with Firefox's bookmark database and no export ----
# The database of a generated Firefox export with its list of the
# shortcuts it gives ("name<TAB>URL"), in the last profile.
profile="$profiles/XYZ.default-release"
database="$profile/places.sqlite"
"$root/build/host/bench/merkwandel-bench-generate" places 60 "$database" "$out/expected.tsv"
count=$(wc -l <"$out/expected.tsv")
before=$(md5sum "$database")
target="$favorites/Importierte Dateien"
# The shortcuts in the target folder as "name<TAB>URL", each checked to be
# exactly the two lines of a shortcut.
written() {
  (cd "$target" && perl -e 'for my $f (glob("*.url")) { open(my $h, "<", $f) or die; local $/; my $c = <$h>;
    (my $n = $f) =~ s/\.url$//; print $c =~ /\A\[InternetShortcut\]\r\nURL=(.*)\r\n\z/ ? "$n\t$1\n" : "$f: $c\n" }') |
    LC_ALL=C sort
}
# convert CASE: "Starten", the report, the shortcuts, Explorer closed again.
convert() {
  rm -rf "$target"
  probe click bStarten
  probe messages " Merkwandel" 1.5 60 >"$out/messages-$1.txt" || true
  check "$1: the report" "$(awk -F'\t' '$1 == "message" { print $3 ": " $5 }' "$out/messages-$1.txt")" \
    "information: Es wurden $count Favoriten aus der Firefox Lesezeichendatei exportiert.    |"
  probe close-explorer 15 >/dev/null || true
  check "$1: the shortcuts of the database" "$(written)" "$(LC_ALL=C sort "$out/expected.tsv")"
}

start_program
probe window 60 >"$out/window-places.txt" || fail "the window does not open again"
check "tHypertext: the profile's database" "$(control "$out/window-places.txt" tHypertext 11)" \
  "$(windows_path "$database")"
convert places
# Held open for reading and writing by a program that lets others do the
# same, as Firefox holds it while it runs.
"$wine" "$win64/merkwandel-hold.exe" --share "$(windows_path "$database")" 120 >"$out/hold.txt" 2>&1 &
holder=$!
for _ in $(seq 100); do grep -q '^held' "$out/hold.txt" && break; sleep 0.1; done
check "merkwandel-hold holds the database" "$(head -1 "$out/hold.txt" | tr -d '\r')" "held"
convert places-held
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
check "the profile: the database unchanged, nothing beside it" "$(md5sum "$database"; ls "$profile")" \
  "$before"$'\n'"places.sqlite"
check "no copy left among the temporary files" "$(find "$WINEPREFIX/drive_c/users" -iname 'merkwandel-*')" ""

probe close
probe wait-gone 10 || fail "the window does not close"
printf 'startup_e2e: screenshot %s\n' "$out/window.png"
finish_checks
