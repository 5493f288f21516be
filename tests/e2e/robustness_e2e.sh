#!/usr/bin/env bash
# Bad input and faults through the window: build/win64/merkwandel.exe under
# Wine on a virtual display, driven as a user drives it and read from
# outside with merkwandel-probe.exe.
#
# 1. One row after another in the same window: both paths typed, Enter (or,
#    for paths in scripts a keyboard can't type, sent with SendMessageW and
#    "Starten" clicked);
#    what the user sees (every message box in order: title, icon, text, its
#    one button; whether Explorer opens, on which folder; the five input
#    controls enabled afterwards) and what is on disk afterwards (the target
#    folder's files with their content; nothing else below the test's disk
#    changed; no shortcut anywhere else). Other processes hold files open
#    without sharing with merkwandel-hold.exe. The program's current
#    directory holds a planted Explorer.exe (merkwandel-planted-explorer.exe),
#    as a downloaded bookmark file's folder may: it never starts, the real
#    Explorer does.
# 2. Closing the window while a large file is converted: the program ends
#    within a second, with exit code 0, shows nothing further, opens no
#    Explorer and leaves no half-written shortcut.
# The table of what was seen goes to build/e2e-robust/table.txt, logs and
# screenshots beside it.
#
# Needs build/win64 (merkwandel.exe, merkwandel-probe.exe,
# merkwandel-hold.exe, merkwandel-planted-explorer.exe).
set -euo pipefail
# The whole test ends within 15 minutes, whatever hangs (its cleanup runs).
[[ -n "${MERKWANDEL_E2E_LIMITED:-}" ]] || MERKWANDEL_E2E_LIMITED=1 exec timeout 900 "$0" "$@"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/e2e-robust"
rm -rf "$out"
mkdir -p "$out"
export MERKWANDEL_DESKTOP=MerkwandelRobust
# shellcheck source=lib.sh
source "$root/tests/e2e/lib.sh"
began=$(date +%s.%N)
# A program that crashed under Wine's debugger answers no message: the
# probe is given up after half a minute rather than waiting for ever.
probe() { timeout 30 "$wine" "$win64/merkwandel-probe.exe" "$@" | tr -d '\r'; }
crashed() { grep -h -i -e 'unhandled' -e 'page fault' "$out/program.log" 2>/dev/null || true; }

holders=()
held=0
# Another program holds FILE (a Linux path) open without sharing until the
# row ends.
hold() {
  held=$((held + 1))
  local log="$out/hold-$held.txt"
  "$wine" "$win64/merkwandel-hold.exe" "$(windows_path "$1")" 120 >"$log" 2>&1 &
  holders+=($!)
  for _ in $(seq 100); do
    grep -q '^held' "$log" && return 0
    sleep 0.1
  done
  echo "merkwandel-hold did not take $1" >&2
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
cleanup() {
  release
  stop_all
}
trap cleanup EXIT
prepare_prefix
start_display
if [[ -e "$WINEPREFIX/dosdevices/q:" ]]; then
  echo "drive Q: exists in $WINEPREFIX; the rows need a drive that does not" >&2
  exit 1
fi

# Types both paths as a user does; an empty text empties the field.
type_row() {
  focus_desktop
  xdotool key --delay 60 alt+l Tab Delete
  [[ -z "$1" ]] || xdotool type --delay 10 "$1"
  xdotool key --delay 60 Tab Tab Delete
  [[ -z "$2" ]] || xdotool type --delay 10 "$2"
}

# ---- The test's disk: bookmark files, a bystander, a target per row ----
disk="$out/disk"
sources="$disk/Lesezeichen"
mkdir -p "$sources" "$disk/Ziele"
printf 'daneben' >"$disk/Daneben.url"
export_file() {  # export_file FILE URL TITLE [URL TITLE ...]: as Firefox writes it
  local file=$1
  shift
  {
    printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">\n'
    printf '<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n\n<DL><p>\n'
    while (($# >= 2)); do
      printf '    <DT><A HREF="%s" ADD_DATE="1599750511" LAST_MODIFIED="1719772224">%s</A>\n' "$1" "$2"
      shift 2
    done
    printf '</DL>\n'
  } >"$file"
}
export_file "$sources/drei.html" http://a.example/ Eins http://b.example/ Zwei http://c.example/ Drei
: >"$sources/leer.html"
printf '\377\376' >"$sources/utf16.html"
printf '<DT><A HREF="http://a.example/">Eins</A>\r\n' | iconv -f UTF-8 -t UTF-16LE >>"$sources/utf16.html"
head -c 262144 /dev/urandom >"$sources/zufall.bin"
export_file "$sources/titel.html" http://1/ '..\' http://2/ / http://3/ C: http://4/ CON http://5/ nul.txt \
  http://6/ COM1 http://7/ '..\..\..\Daneben' http://alt/ 'a:b' http://neu/ 'a|b'

# Paths and titles in several scripts; the folder is the program's current
# directory and gets the planted Explorer.exe.
scripts="$disk/Закладки Łódź"
mkdir -p "$scripts"
planted_marker="$scripts/planted-explorer-started.txt"
export_file "$scripts/lesezeichen.html" http://ua/ 'Твіттер. Все, що актуально.' http://el/ 'Ελληνικά νέα' \
  http://he/ 'חדשות' http://zh/ '書籤' http://emoji/ 'Smile 😀' http://gross/ 'ТВІТТЕР' http://klein/ 'твіттер'

# What the disk holds (every file with its mode and checksum), the row's own
# area left out.
snapshot() {
  (cd "$disk" && find . -path "./${1#"$disk"/}" -prune -o -printf '%y %m %p\n' | LC_ALL=C sort |
    while read -r kind mode path; do
      if [[ $kind == f ]]; then
        printf '%s %s %s\n' "$mode" "$path" "$(md5sum <"$path" | cut -c1-32)"
      else
        printf '%s %s %s\n' "$mode" "$path" "$kind"
      fi
    done)
}
# The files of a folder with their content, CR and LF shown as \r and \n.
listing() {
  [[ -d "$1" ]] || { printf '(no folder)'; return; }
  local name first=1
  while IFS= read -r name; do
    ((first)) || printf ' '
    first=0
    printf '%s=%s' "$name" "$(perl -0777 -pe 's/\r/\\r/g; s/\n/\\n/g' "$1/$name")"
  done < <(find "$1" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort)
}
shortcut() { printf '[InternetShortcut]\\r\\nURL=%s\\r\\n' "$1"; }

not_found="error: Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    |"
not_created="warning: Der Zielordner für den Import der Favoriten konnte nicht erstellt werden.    |"
report() { printf 'information: Es wurden %s Favoriten aus der Firefox Lesezeichendatei exportiert.    |' "$1"; }

table="$out/table.txt"
: >"$table"
rows=0
gone=""  # why the remaining rows can't run
# row NAME SOURCE TARGET FOLDER AREA MESSAGES FILES
#   SOURCE, TARGET  the texts typed into the two fields
#   FOLDER          the target folder as a Linux path ("-" when there is none)
#   AREA            what the row may change on the disk (the target folder,
#                   or the topmost folder the run creates)
#   MESSAGES        the message boxes in order, one a line, "icon: text|"
#   FILES           the target folder's files afterwards (see listing)
# A report is followed by Explorer on the target folder; without one no
# Explorer opens.
row() {
  local name=$1 source=$2 target=$3 folder=$4 area=$5 want_messages=$6 want_files=$7
  local log="$out/$name"
  rows=$((rows + 1))
  # After a crash, or when Wine closed the desktop under the program
  # (docs/robustness.md), later rows would only repeat that failure.
  [[ -n "$gone" ]] || probe window 5 >/dev/null || gone="the window is gone"
  [[ -z "$gone" ]] || { check "$name: can run" "$gone" ""; return 0; }
  snapshot "$area" >"$log.before"
  touch "$log.stamp"
  if [[ -n "${sent:-}" ]]; then
    probe set tHypertext "$source"
    probe set tFavoriten "$target"
  else
    type_row "$source" "$target"
  fi
  probe window 5 >"$log.typed" || true
  check "$name: typed source" "$(control "$log.typed" tHypertext 11)" "$source"
  check "$name: typed target" "$(control "$log.typed" tFavoriten 11)" "$target"
  if [[ -n "${sent:-}" ]]; then
    # The window with those paths, then the first message box over it.
    screenshot "$log-fields.png"
    probe click bStarten
    probe message " Merkwandel" 60 >/dev/null || true
    screenshot "$log-message.png"
  else
    xdotool key Return
  fi
  probe messages " Merkwandel" 1.5 60 >"$log.messages" || true
  local seen
  seen=$(awk -F'\t' '$1 == "message" { print $3 ": " $5 }' "$log.messages")
  check "$name: messages" "$seen" "$want_messages"
  check "$name: every message titled \" Merkwandel\" with one button" \
    "$(awk -F'\t' '$1 == "message" && ($2 != " Merkwandel" || $4 != 1)' "$log.messages")" ""
  check "$name: the run ended" "$(tail -1 "$log.messages")" "idle"
  gone=$(crashed)
  check "$name: no crash" "$gone" ""
  [[ -z "$gone" ]] || return 0
  local explorer=none
  if [[ "$want_messages" == information:* ]]; then
    probe close-explorer 15 >"$log.explorer" || true
    explorer=$(awk -F'\t' '$1 == "closed" { print $3; exit }' "$log.explorer")
    check "$name: Explorer opens on the target folder" "$explorer" "$(basename "$folder")"
  else
    probe windows >"$log.windows" || true
    check "$name: no Explorer" "$(grep -c -e ExplorerWClass -e CabinetWClass "$log.windows" || true)" "0"
  fi
  probe front >/dev/null || true
  probe window 5 >"$log.after" || true
  local enabled=""
  for control_name in bHypertext tHypertext bFavoriten tFavoriten bStarten; do
    enabled+=$(control "$log.after" "$control_name" 9)
  done
  check "$name: the five input controls enabled afterwards" "$enabled" "11111"
  local files
  files=$([[ "$folder" == - ]] && printf '(none)' || listing "$folder")
  check "$name: target folder afterwards" "$files" "$want_files"
  snapshot "$area" >"$log.after-disk"
  check "$name: nothing else on the disk changed" "$(diff "$log.before" "$log.after-disk" || true)" ""
  check "$name: no shortcut outside the target folder" \
    "$(find "$out" "$WINEPREFIX/drive_c" -name '*.url' -newer "$log.stamp" ! -path "$folder/*" 2>/dev/null)" ""
  release
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$source" "$target" "$(printf '%s' "$seen" | paste -sd'^' -)" \
    "explorer=$explorer controls=$enabled" "$files" >>"$table"
}

# ---- 1. The rows ----
(cd "$scripts" && start_program)
probe window 60 >/dev/null || fail "the program did not start"
# Only now: Wine would take it for the "explorer" that starts its desktop.
cp "$win64/merkwandel-planted-explorer.exe" "$scripts/Explorer.exe"
z() { windows_path "$1"; }
ziel="$disk/Ziele"
mkdir -p "$ziel/Vorhanden"  # an existing, empty target

# The bookmark path.
row leer "" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" "$not_found" ""
row ordner "$(z "$sources")" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" "$not_found" ""
row platzhalter "$(z "$sources")\\*.html" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" \
  "$not_found" ""
row fehlendes-laufwerk 'Q:\bookmarks.html' "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" \
  "$not_found" ""
hold "$sources/drei.html"
row gesperrt "$(z "$sources/drei.html")" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" \
  "$not_found" ""
row null-bytes "$(z "$sources/leer.html")" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" "" ""
row zufall "$(z "$sources/zufall.bin")" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" "" ""
row utf16 "$(z "$sources/utf16.html")" "$(z "$ziel/Vorhanden")" "$ziel/Vorhanden" "$ziel/Vorhanden" "" ""

# The target folder.
three="Drei.url=$(shortcut http://c.example/) Eins.url=$(shortcut http://a.example/) Zwei.url=$(shortcut http://b.example/)"
row neu-mit-eltern "$(z "$sources/drei.html")" "$(z "$ziel/Neu/Favoriten/Import")" "$ziel/Neu/Favoriten/Import" \
  "$ziel/Neu" "$(report 3)" "$three"
row ziel-laufwerk-fehlt "$(z "$sources/drei.html")" 'Q:\Favoriten' - "$ziel/Vorhanden" \
  "$not_created
$not_found" "(none)"
# Longer than MAX_PATH: the folders along it that fit are made, the rest
# can't be.
row ziel-zu-lang "$(z "$sources/drei.html")" "$(z "$ziel/Lang")\\$(printf 'x%.0s' $(seq 250))" "$ziel/Lang" \
  "$ziel/Lang" "$not_created
$not_found" ""
row ziel-ist-datei "$(z "$sources/drei.html")" "$(z "$disk/Daneben.url")" - "$ziel/Vorhanden" "$not_found" "(none)"
mkdir -p "$ziel/Schreibgeschuetzt"
printf 'alt' >"$ziel/Schreibgeschuetzt/Eins.url"
printf 'notiz' >"$ziel/Schreibgeschuetzt/notiz.txt"
"$wine" attrib +r "$(z "$ziel/Schreibgeschuetzt/Eins.url")" >/dev/null 2>&1
row schreibgeschuetzt "$(z "$sources/drei.html")" "$(z "$ziel/Schreibgeschuetzt")" "$ziel/Schreibgeschuetzt" \
  "$ziel/Schreibgeschuetzt" "$(report 4)" \
  "Drei.url=$(shortcut http://c.example/) Eins.url=alt Zwei.url=$(shortcut http://b.example/) notiz.txt=notiz"
check "schreibgeschuetzt: the shortcut stays read-only" "$(stat -c %A "$ziel/Schreibgeschuetzt/Eins.url")" \
  "-r--r--r--"
mkdir -p "$ziel/Offen"
printf 'alt' >"$ziel/Offen/Zwei.url"
hold "$ziel/Offen/Zwei.url"
row offen "$(z "$sources/drei.html")" "$(z "$ziel/Offen")" "$ziel/Offen" "$ziel/Offen" "$(report 3)" \
  "Drei.url=$(shortcut http://c.example/) Eins.url=$(shortcut http://a.example/) Zwei.url=alt"

# Titles that try to leave the folder or name a device, and two that are
# equal after cleaning (the later one wins).
mkdir -p "$ziel/Titel/Favoriten"
row titel "$(z "$sources/titel.html")" "$(z "$ziel/Titel/Favoriten")" "$ziel/Titel/Favoriten" \
  "$ziel/Titel/Favoriten" "$(report 8)" \
  "-.url=$(shortcut http://2/) ..-..-..-Daneben.url=$(shortcut http://7/) ..-.url=$(shortcut http://1/) C.url=$(shortcut http://3/) _COM1.url=$(shortcut http://6/) _CON.url=$(shortcut http://4/) _nul.txt.url=$(shortcut http://5/) ab.url=$(shortcut http://neu/)"

# Typed in scripts a keyboard layout can't give: sent to the fields. Two
# titles that differ in letter case only name one file (the first one's
# name, the later one's URL).
mkdir -p "$ziel/Избранное ✓"
sent=1 row schriften "$(z "$scripts/lesezeichen.html")" "$(z "$ziel/Избранное ✓")" "$ziel/Избранное ✓" \
  "$ziel/Избранное ✓" "$(report 6)" \
  "Smile 😀.url=$(shortcut http://emoji/) Ελληνικά νέα.url=$(shortcut http://el/) ТВІТТЕР.url=$(shortcut http://klein/) Твіттер. Все, що актуально..url=$(shortcut http://ua/) חדשות.url=$(shortcut http://he/) 書籤.url=$(shortcut http://zh/)"
screenshot "$out/rows-done.png"
# Each report above was followed by the real Explorer; the one planted in
# the current directory never ran.
check "the planted Explorer.exe never started" "$(cat "$planted_marker" 2>/dev/null)" ""

# The program ends as usual after all that.
probe close-timed 10 >"$out/close-idle.txt" || true
check "the window closes after the rows" "$(cut -f1,3 "$out/close-idle.txt")" $'gone\t0x00000000'
rows_ended=$(date +%s.%N)

# ---- 2. Closing the window while a large file is converted ----
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
type_row "$(z "$big")" "$(z "$abort")"
xdotool key Return
if probe wait-locked 10 >/dev/null; then locked=yes; else locked=no; fi
check "the large run locks the controls" "$locked" "yes"
sleep 1  # well into the file
screenshot "$out/closing.png"
probe close-timed 10 >"$out/close-running.txt" || true
read -r state milliseconds exit_code <"$out/close-running.txt" || true
check "closing during the run: the program ends" "${state:-}" "gone"
check "closing during the run: within a second" "$(( ${milliseconds:-99999} < 1000 ))" "1"
check "closing during the run: exit code 0, no crash" "${exit_code:-}" "0x00000000"
sleep 2  # an Explorer or a message box would show by now
probe windows >"$out/windows-after-close.txt" || true
check "closing during the run: no window left (no message, no Explorer)" \
  "$(grep -v $'\tDefault IME$' "$out/windows-after-close.txt" || true)" ""
written=$(find "$abort" -type f | wc -l)
check "closing during the run: the run stopped part-way" \
  "$(( written > 0 && written < count ))" "1"
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
printf 'close during a run: %s ms from the close to the process gone, exit code %s, %d of %d shortcuts written\n' \
  "${milliseconds:-?}" "${exit_code:-?}" "$written" "$count" | tee "$out/close-measure.txt"
check "no crash under Wine" "$(crashed)" ""

ended=$(date +%s.%N)
awk -v a="$began" -v b="$rows_ended" -v c="$ended" -v n="$rows" \
  'BEGIN { printf "robustness e2e: %d rows in %.1f s, whole test %.1f s\n", n, b - a, c - a }'
printf 'robustness e2e: table in %s\n' "$table"
finish_checks
