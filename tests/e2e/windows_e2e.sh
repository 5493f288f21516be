#!/usr/bin/env bash
# End-to-end test of the Windows program: build/win64/merkwandel.exe under
# Wine on a virtual display, driven as a user drives it (typing, Enter) and
# read from outside with merkwandel-probe.exe.
#
# 1. The window as designed: caption, fixed frame, client area 461 x 299,
#    every control at twips / 15 with its design text, the hidden controls
#    not there, the five input controls enabled.
# 2. A run: both paths typed, Enter; the controls are locked while it
#    lasts; the report " Merkwandel" with the count and the information
#    icon; the shortcut files are those merkwandel-console writes from the
#    same input; afterwards the controls are enabled again.
# 3. Closing the window while a run lasts: no message, no Explorer, the
#    program ends.
# Screenshots and logs go to build/e2e/.
#
# Needs build/win64 (merkwandel.exe, merkwandel-probe.exe) and
# build/host/merkwandel-console.
set -euo pipefail
# The whole test ends within 15 minutes, whatever hangs (its cleanup runs).
[[ -n "${MERKWANDEL_E2E_LIMITED:-}" ]] || MERKWANDEL_E2E_LIMITED=1 exec timeout 900 "$0" "$@"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/e2e"
rm -rf "$out"
mkdir -p "$out"
export MERKWANDEL_DESKTOP=MerkwandelTest
# shellcheck source=lib.sh
source "$root/tests/e2e/lib.sh"
console="$root/build/host/merkwandel-console"
began=$(date +%s.%N)

trap stop_all EXIT
prepare_prefix
# The window as designed: the start-up finds nothing to propose (the prefix
# is shared with the Win32 tests, which may have made Wine fill these in).
remove_shell_folder AppData
remove_shell_folder Favorites
start_display

# ---- The input: a bookmark file as Firefox exports it, written here ----
source_file="$out/bookmarks.html"
{
  printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<!-- This is an automatically generated file.\n'
  printf '     It will be read and overwritten.\n     DO NOT EDIT! -->\n'
  printf '<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">\n'
  printf '<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n'
  printf '    <DT><H3 ADD_DATE="1678636323" LAST_MODIFIED="1719772224">Reisen</H3>\n    <DL><p>\n'
  line() { printf '        <DT><A HREF="%s" ADD_DATE="1599750511" LAST_MODIFIED="1719772224">%s</A>\n' "$1" "$2"; }
  line "https://www.bahn.de/" "Deutsche Bahn"
  line "https://de.wikipedia.org/wiki/M%C3%BCnchen" "München – Wikipedia"
  line "https://example.org/a?x=1&amp;y=2" "Fragen &amp; Antworten"
  line "https://example.org/straße" "Straßen/Wege: Übersicht"
  line "https://example.org/lang" "Ein sehr langer Titel, der mehr als neunundvierzig Zeichen hat und gekürzt wird"
  line "https://example.org/con" "CON"
  line "https://example.org/doppelt-1" "Doppelt"
  line "https://example.org/doppelt-2" "Doppelt"
  line "https://example.org/euro" "Preise in €"
  printf '    </DL><p>\n</DL>\n'
} >"$source_file"
target_dir="$out/Favoriten/Neu"  # missing: the run makes it
source_win=$(windows_path "$source_file")
target_win=$(windows_path "$target_dir")

# What the console driver writes from the same input.
"$console" "$source_file" "$out/console/Neu" >"$out/console.log"
console_count=$(find "$out/console/Neu" -type f | wc -l)

# ---- 1. The window as designed ----
start_program
probe window 60 >"$out/before.txt"
check "caption" "$(field "$out/before.txt" caption 2)" "Merkwandel"
check "client area" "$(field "$out/before.txt" client 2) $(field "$out/before.txt" client 3)" "461 299"
check "fixed frame, no maximise button" "$(field "$out/before.txt" style 2) $(field "$out/before.txt" style 3) $(field "$out/before.txt" style 4)" \
  "resizable=0 maximizebox=0 minimizebox=1"
read -r fx fy fw fh < <(awk -F'\t' '$1 == "frame" { print $2, $3, $4, $5 }' "$out/before.txt")
check "centred on the screen" "$(( (1024 - fw) / 2 - fx )) $(( (768 - fh) / 2 - fy ))" "0 0"
check "focus at start" "$(field "$out/before.txt" focus 2)" "bHypertext"
check "controls on screen" "$(awk -F'\t' '$1 == "control" { printf "%s ", $2 }' "$out/before.txt")" \
  "Label1 bHypertext tHypertext Label2 bFavoriten tFavoriten bStarten Picture1 Label3 Image1 "
# Place and size at twips / 15 (the two captions fit their text: place only).
while read -r name x y w h; do
  actual="$(control "$out/before.txt" "$name" 4) $(control "$out/before.txt" "$name" 5)"
  [[ "$w" == "-" ]] || actual="$actual $(control "$out/before.txt" "$name" 6) $(control "$out/before.txt" "$name" 7)"
  expected="$x $y"
  [[ "$w" == "-" ]] || expected="$expected $w $h"
  check "geometry of $name" "$actual" "$expected"
done <<'TABLE'
Label1 94 24 - -
bHypertext 405 42 37 21
tHypertext 93 42 304 21
Label2 94 75 - -
bFavoriten 405 93 37 21
tFavoriten 93 93 304 21
bStarten 366 147 79 28
Picture1 12 189 436 97
Label3 12 9 407 80
Image1 18 21 48 48
TABLE
check "text of Label1" "$(control "$out/before.txt" Label1 11)" "&Lesezeichendatei von Firefox:"
check "text of Label2" "$(control "$out/before.txt" Label2 11)" "&Favoritenordner für Internet Explorer:"
check "text of tHypertext" "$(control "$out/before.txt" tHypertext 11)" \
  'E:\Eigene Dateien\Vollständige Lesezeichen (Mozilla Firefox) 6.html'
check "text of tFavoriten" "$(control "$out/before.txt" tFavoriten 11)" 'D:\Eigene Dateien\Arbeitsoberfläche\Favoriten'
check "text of bStarten" "$(control "$out/before.txt" bStarten 11)" "Starten"
check "length of Label3" "$(control "$out/before.txt" Label3 11 | tr -d "\n" | iconv -f UTF-8 -t WINDOWS-1252 | wc -c)" "323"
check "Picture1 disabled" "$(control "$out/before.txt" Picture1 9)" "0"
for name in bHypertext tHypertext bFavoriten tFavoriten bStarten; do
  check "$name enabled before" "$(control "$out/before.txt" "$name" 9)" "1"
done
screenshot "$out/window.png" "$fx $fy $fw $fh"

# The keyboard: Esc does nothing; Alt+F moves to the second "..." without
# clicking it (a click would do nothing visible yet, but Enter would).
focus_desktop
xdotool key --delay 80 Escape alt+f
probe window 5 >"$out/keys.txt"
check "Alt+F puts the focus on bFavoriten" "$(field "$out/keys.txt" focus 2)" "bFavoriten"
check "the window stays after Esc" "$(field "$out/keys.txt" caption 2)" "Merkwandel"
check "the focused button is the default one" "$(control "$out/keys.txt" bFavoriten 10)$(control "$out/keys.txt" bStarten 10)" "10"

# ---- 2. A run through the window ----
run_began=$(date +%s.%N)
type_paths "$source_win" "$target_win"
probe window 5 >"$out/typed.txt"
check "typed source" "$(control "$out/typed.txt" tHypertext 11)" "$source_win"
check "typed target" "$(control "$out/typed.txt" tFavoriten 11)" "$target_win"
check "Starten is the default button while a field has the focus" "$(control "$out/typed.txt" bStarten 10)" "1"
xdotool key Return
if probe wait-locked 10 >"$out/locked.txt"; then locked=yes; else locked=no; fi
check "the five input controls locked during the run" "$locked" "yes"
probe message " Merkwandel" 60 >"$out/report.txt" || true
run_ended=$(date +%s.%N)
check "report title" "$(field "$out/report.txt" title 2)" " Merkwandel"
check "report text" "$(field "$out/report.txt" text 2)" \
  "Es wurden $console_count Favoriten aus der Firefox Lesezeichendatei exportiert.    |"
check "report icon" "$(field "$out/report.txt" icon 2)" "information"
check "report buttons" "$(field "$out/report.txt" buttons 2)" "1"
read -r mx my mw mh < <(awk -F'\t' '$1 == "frame" { print $2, $3, $4, $5 }' "$out/report.txt")
screenshot "$out/report-on-screen.png"
screenshot "$out/report.png" "$mx $my $mw $mh"
probe window 5 >"$out/during-report.txt"
for name in bHypertext tHypertext bFavoriten tFavoriten bStarten; do
  check "$name enabled when the report shows" "$(control "$out/during-report.txt" "$name" 9)" "1"
done
probe ok " Merkwandel"
sleep 2
probe windows >"$out/windows-after.txt"
others=$(grep -v -e $'\tMerkwandel$' -e $'\tDefault IME$' "$out/windows-after.txt" | wc -l)
check "Explorer opened after the report" "$([[ $others -gt 0 ]] && echo yes || echo no)" "yes"
probe window 5 >"$out/after.txt"
for name in bHypertext tHypertext bFavoriten tFavoriten bStarten; do
  check "$name enabled after" "$(control "$out/after.txt" "$name" 9)" "1"
done
check "target keeps the appended backslash" "$(control "$out/after.txt" tFavoriten 11)" "$target_win\\"
screenshot "$out/after.png"

# The same shortcut files, byte for byte, as the console driver writes.
check "files written" "$(cd "$target_dir" && ls | sort | tr '\n' '|')" "$(cd "$out/console/Neu" && ls | sort | tr '\n' '|')"
if diff -r "$target_dir" "$out/console/Neu" >"$out/diff.txt"; then same=yes; else same=no; fi
check "file contents as merkwandel-console" "$same" "yes"
check "console reported the same count" "$(grep '^information:' "$out/console.log")" \
  "information: Es wurden $console_count Favoriten aus der Firefox Lesezeichendatei exportiert.    "

probe close
if probe wait-gone 10; then gone=yes; else gone=no; fi
check "the window closes" "$gone" "yes"
sleep 1
if probe running merkwandel.exe; then ended=no; else ended=yes; fi
check "the program ends" "$ended" "yes"
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w >/dev/null 2>&1 || true

# ---- 3. Closing the window while a run lasts ----
big="$out/gross.html"
{
  head -11 "$source_file"
  for i in $(seq 1 3000); do
    printf '        <DT><A HREF="https://example.org/%d" ADD_DATE="1">Eintrag %d</A>\n' "$i" "$i"
  done
  printf '    </DL><p>\n</DL>\n'
} >"$big"
start_program
probe window 60 >/dev/null
type_paths "$(windows_path "$big")" "$(windows_path "$out/Abbruch")"
xdotool key Return
probe wait-locked 10 >/dev/null || true
probe close
if probe wait-gone 10; then gone=yes; else gone=no; fi
check "closing during a run closes the window" "$gone" "yes"
if probe no-message " Merkwandel" 3; then quiet=yes; else quiet=no; fi
check "no message after closing during a run" "$quiet" "yes"
sleep 1
if probe running merkwandel.exe; then ended=no; else ended=yes; fi
check "the program ends after closing during a run" "$ended" "yes"
written=$(find "$out/Abbruch" -type f 2>/dev/null | wc -l)
check "the run stopped early" "$([[ $written -lt 3000 ]] && echo yes || echo "no ($written files)")" "yes"
probe windows >"$out/windows-after-close.txt"
check "no Explorer after closing during a run" \
  "$(grep -v -e $'\tDefault IME$' "$out/windows-after-close.txt" | wc -l)" "0"

ended_at=$(date +%s.%N)
awk -v a="$run_began" -v b="$run_ended" -v c="$began" -v d="$ended_at" \
  'BEGIN { printf "e2e: run through the window %.1f s, whole test %.1f s\n", b - a, d - c }'
printf 'e2e: screenshots in %s (window.png, report.png, after.png)\n' "$out"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
