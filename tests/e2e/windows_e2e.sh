#!/usr/bin/env bash
# End-to-end test of the Windows program: the product, build/win32/merkwandel.exe
# (build/win64 where this machine starts no 32-bit programs), under
# Wine on a virtual display, driven as a user drives it (typing, Enter) and
# read from outside with merkwandel-probe.exe. It tests what only Windows
# shows; the conversion, its messages and faults are the host tests'.
#
# 1. The window as designed: caption, fixed frame, client area 461 x 299,
#    centred, every control at twips / 15 with its design text, the hidden
#    controls not there, the focus; Esc does nothing, Alt+F moves the focus
#    to the second "..." without clicking it.
# 2. Runs through the window, one row after another in the same window:
#    both paths typed, Enter (or, for paths in scripts a keyboard can't
#    type, sent with SendMessageW and "Starten" clicked); every message box
#    in order (title, icon, text, its one button, the controls unlocked
#    while it shows), Explorer on the target folder after a report and
#    never without, the five input controls enabled afterwards, the target
#    folder's files with their content, no shortcut anywhere else. The rows:
#    a bookmark file another program holds open without sharing
#    (merkwandel-probe.exe hold), a target longer than MAX_PATH, a read-only
#    shortcut and one held open in the way, paths and titles in several
#    scripts into a missing folder; a run of 20,000 bookmarks whose caption,
#    read from outside, shows three or more rising percentages, then the
#    report and "Merkwandel" again. The program's current directory holds a
#    planted Explorer.exe (merkwandel-planted-explorer.exe), as a downloaded
#    bookmark file's folder may: it never starts, the real Explorer does.
# 3. Closing the window while a large file is converted: the program ends
#    within a second, with exit code 0, shows nothing further, opens no
#    Explorer and leaves no half-written shortcut.
# Logs and screenshots go to build/e2e/.
#
# Needs build/win32 or build/win64 (merkwandel.exe, merkwandel-probe.exe,
# merkwandel-planted-explorer.exe).
set -euo pipefail
# The whole test ends within ten minutes, whatever hangs (its cleanup runs).
[[ -n "${MERKWANDEL_E2E_LIMITED:-}" ]] || MERKWANDEL_E2E_LIMITED=1 exec timeout 600 "$0" "$@"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/e2e"
rm -rf "$out"
mkdir -p "$out"
export MERKWANDEL_DESKTOP=MerkwandelTest
# shellcheck source=lib.sh
source "$root/tests/e2e/lib.sh"
began=$(date +%s.%N)
# A program that crashed under Wine's debugger answers no message: a probe
# is given up after half a minute rather than waiting for ever.
probe() { timeout 30 "$wine" "$windows/merkwandel-probe.exe" "$@" | tr -d '\r'; }
crashed() { grep -h -i -e 'unhandled' -e 'page fault' "$out/program.log" 2>/dev/null || true; }

trap stop_all EXIT
prepare_prefix
# The window as designed: the start-up finds nothing to propose (the prefix
# is shared with the Win32 tests, which may have made Wine fill these in).
remove_shell_folder AppData
remove_shell_folder Favorites
start_display

# ---- The test's disk ----
disk="$out/disk"
ziel="$disk/Ziele"
mkdir -p "$disk/Lesezeichen" "$ziel"
export_file() {  # export_file FILE URL TITLE [URL TITLE ...]: as Firefox writes it
  local file=$1
  shift
  {
    printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">\n'
    printf '<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n'
    printf '    <DT><A HREF="%s" ADD_DATE="1599750511" LAST_MODIFIED="1719772224">%s</A>\n' "$@"
    printf '</DL>\n'
  } >"$file"
}
export_file "$disk/Lesezeichen/drei.html" http://a.example/ Eins http://b.example/ Zwei http://c.example/ Drei
# Paths and titles in several scripts; the folder is the program's current
# directory and gets the planted Explorer.exe.
scripts="$disk/Закладки Łódź"
mkdir -p "$scripts"
export_file "$scripts/lesezeichen.html" http://ua/ 'Твіттер. Все, що актуально.' http://el/ 'Ελληνικά νέα' \
  http://he/ 'חדשות' http://zh/ '書籤' http://emoji/ 'Smile 😀' http://gross/ 'ТВІТТЕР' http://klein/ 'твіттер'

# ---- 1. The window as designed ----
(cd "$scripts" && start_program)
probe window 60 >"$out/window.txt" || fail "the window does not open"
# Only now: Wine would take it for the "explorer" that starts its desktop.
cp "$windows/merkwandel-planted-explorer.exe" "$scripts/Explorer.exe"
check "caption, client area, fixed frame, no maximise button" \
  "$(grep -e '^caption' -e '^client' -e '^style' "$out/window.txt" | cut -f2-4 | tr '\t\n' '  ')" \
  "Merkwandel 461 299 resizable=0 maximizebox=0 minimizebox=1 "
read -r fx fy fw fh < <(awk -F'\t' '$1 == "frame" { print $2, $3, $4, $5 }' "$out/window.txt")
check "centred on the screen" "$(((1024 - fw) / 2 - fx)) $(((768 - fh) / 2 - fy))" "0 0"
check "focus at start" "$(field "$out/window.txt" focus 2)" "bHypertext"
# Each control on screen, in order: place and size at twips / 15 (the two
# captions fit their text: place only), visible and enabled, its text.
check "the controls" "$(awk -F'\t' '$1 == "control" { sub(/\|$/, "", $11)
  print $2 "|" $4 "|" $5 "|" ($2 ~ /^Label[12]$/ ? "-|-" : $6 "|" $7) "|" $8 $9 "|" $11 }' "$out/window.txt")" "$(cat <<'TABLE'
Label1|94|24|-|-|11|&Lesezeichendatei von Firefox:
bHypertext|405|42|37|21|11|...
tHypertext|93|42|304|21|11|E:\Eigene Dateien\Vollständige Lesezeichen (Mozilla Firefox) 6.html
Label2|94|75|-|-|11|&Favoritenordner für Internet Explorer:
bFavoriten|405|93|37|21|11|...
tFavoriten|93|93|304|21|11|D:\Eigene Dateien\Arbeitsoberfläche\Favoriten
bStarten|366|147|79|28|11|Starten
Picture1|12|189|436|97|10|
Label3|12|9|407|80|11|Möglicherweise möchten Sie die Firefox Lesezeichen auch im Internet Explorer verwenden. Jedoch können Sie die Einträge in den Favoriten ausschließlich importieren. Mit diesem Tool können Sie die Lesezeichen von Mozilla Firefox exportieren und erstellen automatisch Url-Dateien in dem Favoritenordner vom Internet Explorer. 
Image1|18|21|48|48|11|
TABLE
)"
screenshot "$out/window.png" "$fx $fy $fw $fh"
# The keyboard: Esc does nothing; Alt+F moves to the second "..." without
# clicking it (a click would do nothing visible yet, but Enter would).
focus_desktop
xdotool key --delay 80 Escape alt+f
probe window 5 >"$out/keys.txt" || fail "the window is gone after Esc"
check "Alt+F puts the focus on bFavoriten" "$(field "$out/keys.txt" focus 2)" "bFavoriten"
check "the focused button is the default one" "$(control "$out/keys.txt" bFavoriten 10)$(control "$out/keys.txt" bStarten 10)" "10"
check "no dialog after Alt+F" "$(probe windows | grep -c $'^toplevel\t#32770' || true)" "0"

# ---- 2. Runs through the window ----
# The files of a folder with their content, CR and LF shown as \r and \n.
listing() {
  [[ -d "$1" ]] || { printf '(no folder)'; return; }
  (cd "$1" && perl -e 'opendir(my $d, ".") or die; local $/; print join(" ", map {
    open(my $h, "<", $_) or die; my $c = <$h>; $c =~ s/\r/\\r/g; $c =~ s/\n/\\n/g; "$_=$c" } sort grep { !/^\.\.?$/ } readdir $d)')
}
shortcut() { printf '[InternetShortcut]\\r\\nURL=%s\\r\\n' "$1"; }
not_found="error: Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    |"
not_created="warning: Der Zielordner für den Import der Favoriten konnte nicht erstellt werden.    |"
report() { printf 'information: Es wurden %s Favoriten aus der Firefox Lesezeichendatei exportiert.    |' "$1"; }

# row NAME SOURCE TARGET FOLDER MESSAGES FILES
#   SOURCE, TARGET  the texts typed into the two fields
#   FOLDER          the target folder as a Linux path
#   MESSAGES        the message boxes in order, one a line, "icon: text|"
#   FILES           the target folder's files afterwards (see listing)
# A report is followed by Explorer on the target folder; without one no
# Explorer opens.
row() {
  local name=$1 source=$2 target=$3 folder=$4 want_messages=$5 want_files=$6 log="$out/$1"
  # After a crash, or when Wine closed the desktop under the program, later
  # rows would only repeat that failure.
  probe window 5 >/dev/null || fail "$name: the window is gone"
  touch "$log.stamp"
  if [[ -n "${sent:-}" ]]; then
    probe set tHypertext "$source" && probe set tFavoriten "$target"
  else
    type_paths "$source" "$target"
  fi
  probe window 5 >"$log.typed" || true
  check "$name: typed" "$(control "$log.typed" tHypertext 11)|$(control "$log.typed" tFavoriten 11)" "$source|$target"
  if [[ -n "${sent:-}" ]]; then probe click bStarten; else xdotool key Return; fi
  probe messages " Merkwandel" 1.5 60 >"$log.messages" || true
  # Each box titled " Merkwandel", with one button, the controls unlocked;
  # then the run ends.
  check "$name: messages" "$(awk -F'\t' '$1 != "message" { print } $1 == "message" {
    print ($2 == " Merkwandel" && $4 == 1 && $5 == 0 ? "" : "title " $2 ", buttons " $4 ", locked " $5 ": ") $3 ": " $6 }' \
    "$log.messages")" "${want_messages:+$want_messages$'\n'}idle"
  [[ -z "$(crashed)" ]] || fail "$name: the program crashed: $(crashed)"
  if [[ "$want_messages" == information:* ]]; then
    probe close-explorer 15 >"$log.explorer" || true
    check "$name: Explorer opens on the target folder" "$(awk -F'\t' '$1 == "closed" { print $3; exit }' "$log.explorer")" \
      "$(basename "$folder")"
  else
    check "$name: no Explorer" "$(probe windows | grep -c -e ExplorerWClass -e CabinetWClass || true)" "0"
  fi
  probe front >/dev/null || true
  probe window 5 >"$log.after" || true
  check "$name: the five input controls enabled afterwards" \
    "$(for c in bHypertext tHypertext bFavoriten tFavoriten bStarten; do control "$log.after" "$c" 9; done | tr -d '\n')" "11111"
  check "$name: target folder afterwards" "$(listing "$folder")" "$want_files"
  check "$name: no shortcut outside the target folder" \
    "$(find "$out" "$WINEPREFIX/drive_c" -name '*.url' -newer "$log.stamp" ! -path "$folder/*" 2>/dev/null)" ""
  release
}
z() { windows_path "$1"; }
mkdir -p "$ziel/Vorhanden"

hold "$disk/Lesezeichen/drei.html" || fail "the probe did not hold drei.html"
row gesperrt "$(z "$disk/Lesezeichen/drei.html")" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$not_found" ""
# Longer than MAX_PATH: the folders along it that fit are made, the rest
# can't be.
row ziel-zu-lang "$(z "$disk/Lesezeichen/drei.html")" "$(z "$ziel/Lang")\\$(printf 'x%.0s' $(seq 250))" "$ziel/Lang" \
  "$not_created
$not_found" ""
# In the way: a read-only shortcut and one another program holds open.
mkdir -p "$ziel/Im Weg"
for file in Eins.url Zwei.url notiz.txt; do printf 'alt' >"$ziel/Im Weg/$file"; done
"$wine" attrib +r "$(z "$ziel/Im Weg/Eins.url")" >/dev/null 2>&1
hold "$ziel/Im Weg/Zwei.url" || fail "the probe did not hold Zwei.url"
row im-weg "$(z "$disk/Lesezeichen/drei.html")" "$(z "$ziel/Im Weg")" "$ziel/Im Weg" "$(report 4)" \
  "Drei.url=$(shortcut http://c.example/) Eins.url=alt Zwei.url=alt notiz.txt=alt"
check "im-weg: the read-only shortcut stays so" "$(stat -c %A "$ziel/Im Weg/Eins.url")" "-r--r--r--"
# Typed in scripts a keyboard layout can't give: sent to the fields. The
# folder and its parent are made. Of two titles that differ in letter case
# only, the later one is numbered.
sent=1 row schriften "$(z "$scripts/lesezeichen.html")" "$(z "$ziel/Neu Ελλάδα/Избранное ✓")" \
  "$ziel/Neu Ελλάδα/Избранное ✓" "$(report 7)" \
  "Smile 😀.url=$(shortcut http://emoji/) Ελληνικά νέα.url=$(shortcut http://el/) ТВІТТЕР.url=$(shortcut http://gross/) Твіттер. Все, що актуально..url=$(shortcut http://ua/) твіттер (2).url=$(shortcut http://klein/) חדשות.url=$(shortcut http://he/) 書籤.url=$(shortcut http://zh/)"
# During a run of 20,000 bookmarks the caption, read from outside, shows how
# far it is; it is "Merkwandel" again when the report shows.
awk 'BEGIN { for (i = 1; i <= 20000; i++) printf "<DT><A HREF=\"http://x/%d\">Eintrag %d</A>\n", i, i }' >"$out/viele.html"
probe set tHypertext "$(z "$out/viele.html")" && probe set tFavoriten "$(z "$ziel/Viele")" && probe click bStarten
timeout 300 "$wine" "$windows/merkwandel-probe.exe" captions " Merkwandel" 240 | tr -d '\r' >"$out/captions.txt" || true
check "progress: three or more rising percentages, then the report and the caption" "$(awk -F'\t' '$1 == "message" { m = $2 ": " $6 }
  $1 == "caption" && $2 ~ /^Merkwandel – [0-9]+ %$/ { split($2, w, " "); up += w[3] > p; down += w[3] <= p; p = w[3] }
  $1 == "caption" && m { c = $2 } END { print (up >= 3 && !down) "|" m "|" c }' "$out/captions.txt")" \
  "1| Merkwandel: Es wurden 20000 Favoriten aus der Firefox Lesezeichendatei exportiert.    ||Merkwandel"
probe ok " Merkwandel" && probe close-explorer 15 >/dev/null || true
# Each report above was followed by the real Explorer; the one planted in
# the current directory never ran.
check "the planted Explorer.exe never started" "$(ls "$scripts")" $'Explorer.exe\nlesezeichen.html'
probe close-timed 10 >"$out/close-idle.txt" || true
check "the window closes after the rows" "$(cut -f1,3 "$out/close-idle.txt")" $'gone\t0x00000000'
rows_ended=$(date +%s.%N)

# ---- 3. Closing the window while a large file is converted ----
export MERKWANDEL_DESKTOP=MerkwandelClose
count=200000
big="$out/gross.html"
awk -v n="$count" 'BEGIN {
  print "<!DOCTYPE NETSCAPE-Bookmark-file-1>"; print "<DL><p>"
  for (i = 1; i <= n; i++) printf "    <DT><A HREF=\"https://example.org/%d\" ADD_DATE=\"1\">Eintrag %d</A>\n", i, i
  print "</DL>" }' >"$big"
abort="$out/Abbruch"
start_program
probe window 60 >/dev/null || true
type_paths "$(z "$big")" "$(z "$abort")"
xdotool key Return
probe wait-locked 10 || fail "the large run does not lock the controls"
sleep 1  # well into the file
screenshot "$out/closing.png"
probe close-timed 10 >"$out/close-running.txt" || true
read -r state milliseconds exit_code <"$out/close-running.txt" || true
check "closing during the run: the program ends within a second, exit code 0, no crash" \
  "${state:-} $((${milliseconds:-99999} < 1000)) ${exit_code:-}" "gone 1 0x00000000"
sleep 2  # an Explorer or a message box would show by now
check "closing during the run: no window left (no message, no Explorer)" \
  "$(probe windows | grep -v $'\tDefault IME$' || true)" ""
written=$(find "$abort" -type f | wc -l)
check "closing during the run: the run stopped part-way" "$((written > 0 && written < count))" "1"
# Each file is "Eintrag N.url" with exactly the two lines for entry N: no
# half-written shortcut, no temporary file left behind.
broken=$(cd "$abort" && perl -e 'opendir(my $d, ".") or die; local $/;
  for my $f (sort readdir $d) {
    next if $f eq "." || $f eq "..";
    my ($n) = $f =~ /^Eintrag (\d+)\.url$/;
    open(my $h, "<", $f) or die; my $c = <$h>;
    print "$f " unless defined $n && $c eq "[InternetShortcut]\r\nURL=https://example.org/$n\r\n";
  }' | head -c 300)
check "closing during the run: every file a whole shortcut" "$broken" ""
printf 'close during a run: %s ms from the close to the process gone, %d of %d shortcuts written\n' \
  "${milliseconds:-?}" "$written" "$count"
check "no crash under Wine" "$(crashed)" ""

awk -v a="$began" -v b="$rows_ended" -v c="$(date +%s.%N)" \
  'BEGIN { printf "windows e2e: window and rows %.1f s, whole test %.1f s\n", b - a, c - a }'
finish_checks
