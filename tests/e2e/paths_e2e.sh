#!/usr/bin/env bash
# End-to-end test of the two paths under Wine, on the product
# (build/win32/merkwandel.exe; build/win64 where this machine starts no
# 32-bit programs):
#
# 1. The start-up: with "AppData" and "Favorites" of a fresh Wine prefix
#    pointed at test folders that hold a fresh Firefox installation's two
#    profiles with its profiles.ini and installs.ini, the window opens with
#    the bookmark file of the profile Firefox starts with and the
#    "Importierte Dateien" folder of the favourites in its fields, and shows
#    no message.
# 2. The two "..." buttons, worked through the dialogs they open.
#    bHypertext opens the open-file dialog "Datei öffnen" in the folder of
#    the file named in tHypertext, or in the current directory when that
#    names nothing, offering HTML files (chosen), Firefox's bookmark
#    database, the Chromium family's bookmark files and all files; the file
#    chosen there goes into tHypertext (names in several scripts, a file in
#    a drive's root, a "Bookmarks" file without extension added); a missing
#    file is refused; Cancel changes nothing. bFavoriten opens the shell's folder
#    browser with its text; Cancel changes nothing; a drive gives its root,
#    an ordinary folder its path.
# 3. With only Firefox's bookmark database (places.sqlite) in that
#    profile, the start-up proposes the database, and "Starten" writes its
#    shortcuts and reports their count, also while another program holds
#    the database open as Firefox does.
# 4. With neither file in the Firefox profile and "Local AppData" pointed at
#    a test folder with Chrome's profiles, the start-up proposes
#    the "Bookmarks" file of Chrome's last-used profile (named in its "Local
#    State"), and "Starten" writes its shortcuts and reports their count.
#
# Runs in a Wine prefix and on a virtual display of its own and ends both
# on every way out. Window and dialog states and screenshots go to
# build/e2e-paths/.
#
# Needs build/win32 or build/win64 (merkwandel.exe, merkwandel-probe.exe)
# and build/host (merkwandel-bench-generate).
set -euo pipefail
# The whole test ends within ten minutes, whatever hangs (its cleanup runs).
[[ -n "${MERKWANDEL_E2E_LIMITED:-}" ]] || MERKWANDEL_E2E_LIMITED=1 exec timeout 600 "$0" "$@"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/e2e-paths"
rm -rf "$out"
mkdir -p "$out"
export WINEPREFIX="$out/wineprefix"
export MERKWANDEL_DESKTOP=MerkwandelPaths
# shellcheck source=lib.sh
source "$root/tests/e2e/lib.sh"
trap stop_all EXIT
trap 'echo "FAIL paths_e2e.sh line $LINENO: $BASH_COMMAND" >&2' ERR
prepare_prefix

# A fresh installation's two profiles, as Firefox writes them on its first
# start: the empty legacy one, marked Default=1, sorts last; the
# installation starts with "a1b2c3d4.default-release". The user's name is
# not ASCII.
appdata="$out/data/Anwendungsdaten Jürgen"
profiles="$appdata/Mozilla/Firefox/Profiles"
profile="$profiles/a1b2c3d4.default-release"
favorites="$out/data/Favoriten Jürgen"
mkdir -p "$profiles/q7w8e9r0.default" "$profile" "$favorites"
echo '{"created":1767225600000,"firstUse":null}' >"$profiles/q7w8e9r0.default/times.json"
printf '%s\r\n' '[Profile1]' Name=default IsRelative=1 Path=Profiles/q7w8e9r0.default Default=1 '' '[Profile0]' \
  Name=default-release IsRelative=1 Path=Profiles/a1b2c3d4.default-release '' '[General]' StartWithLastProfile=1 \
  Version=2 '' '[Install308046B0AF4A39CB]' Default=Profiles/a1b2c3d4.default-release Locked=1 '' \
  >"$appdata/Mozilla/Firefox/profiles.ini"
sed -n '/^\[Install/,$ { s/^\[Install/[/; p }' "$appdata/Mozilla/Firefox/profiles.ini" >"$appdata/Mozilla/Firefox/installs.ini"
set_shell_folder AppData "$(windows_path "$appdata")"
set_shell_folder Favorites "$(windows_path "$favorites")"
# The files and folders a user picks from.
data="$out/data"
mkdir -p "$data/Закладки Łódź" "$data/Andere" "$data/Избранное ✓ Müller" "$data/Chrome Profil"
echo '{"roots":{}}' | tee "$data/Chrome Profil/Bookmarks" >"$data/Chrome Profil/AccountBookmarks"
echo '<!DOCTYPE NETSCAPE-Bookmark-file-1>' >"$data/Chrome Profil/Bookmarks.htm"
for file in "Закладки Łódź/bookmarks.html" "Закладки Łódź/Ελληνικά 書籤 😀.html" Andere/export.html; do
  echo '<!DOCTYPE NETSCAPE-Bookmark-file-1>' >"$data/$file"
done
echo '<!DOCTYPE NETSCAPE-Bookmark-file-1>' >"$WINEPREFIX/drive_c/wurzel.html"
win() { windows_path "$data/$1"; }
start_display

# ---- 1. The start-up ----
# The program's current directory is the folder Andere.
(cd "$data/Andere" && start_program)
probe window 60 >"$out/window.txt" || fail "the window does not open"
sleep 1  # room for a message box, if the start-up showed one
check "no message at start" "$(probe windows | grep -c $'^toplevel\t#32770' || true)" "0"
screenshot "$out/window.png"
check "tHypertext: the bookmark file of the profile Firefox starts with" "$(control "$out/window.txt" tHypertext 11)" \
  "$(windows_path "$profile/bookmarks.html")"
check "tFavoriten: the import folder in the favourites" "$(control "$out/window.txt" tFavoriten 11)" \
  "$(windows_path "$favorites/Importierte Dateien")"
check "the import folder is not made at start" "$(ls "$favorites")" ""

# ---- 2. The two "..." buttons ----
# The text of a control of the window now.
text_of() {
  probe window 5 >"$out/now.txt" || fail "the window is gone"
  control "$out/now.txt" "$1" 11
}
title="Datei öffnen"
# choose_file CASE TEXT-BEFORE FOLDER-SHOWN [NAME]: puts TEXT-BEFORE into
# tHypertext, clicks its "...", checks the dialog and the folder it opens
# in, then chooses NAME there (types it, presses Open) or, without NAME,
# cancels.
choose_file() {
  local case=$1 before=$2 shown=$3 name=${4:-}
  probe set tHypertext "$before" && probe click bHypertext || fail "$case: no tHypertext or bHypertext"
  probe file-dialog "$title" 30 >"$out/file-dialog-$case.txt" || fail "$case: no dialog titled $title"
  check "$case: the dialog" "$(cut -f2 "$out/file-dialog-$case.txt" | head -4 | tr '\n' '/')" \
    "$title/$shown/Hypertextdokumente/Hypertextdokumente|Firefox-Lesezeichendatenbank|Chromium-Lesezeichen (Chrome, Edge, Brave, Vivaldi, Opera)|Alle Dateitypen/"
  screenshot "$out/file-dialog-$case.png"
  probe file-choose "$title" ${name:+"$name"} || fail "$case: the dialog does not close"
}
choose_file missing "$(win Fehlt/bookmarks.html)" "$(win Andere)" export.html
check "missing: a file chosen in the current directory" "$(text_of tHypertext)" "$(win Andere/export.html)"
# A name without extension is taken as it is, also with a ".htm" file of
# that name beside it.
choose_file chromium "$(win "Chrome Profil/AccountBookmarks")" "$(win "Chrome Profil")" Bookmarks
check "chromium: a Bookmarks file" "$(text_of tHypertext)" "$(win "Chrome Profil/Bookmarks")"
choose_file existing "$(win "Закладки Łódź/bookmarks.html")" "$(win "Закладки Łódź")" "Ελληνικά 書籤 😀.html"
check "existing: a file chosen in the bookmark file's folder" "$(text_of tHypertext)" "$(win "Закладки Łódź/Ελληνικά 書籤 😀.html")"
choose_file cancel "$(win "Закладки Łódź/bookmarks.html")" "$(win "Закладки Łódź")"
check "cancel: tHypertext keeps its text" "$(text_of tHypertext)" "$(win "Закладки Łódź/bookmarks.html")"
# The dialog made the chosen file's folder the current directory, so an
# empty field now opens it there.
probe set tHypertext ""
probe click bHypertext
probe file-choose "$title" fehlt.html && fail "a missing file is taken"
probe ok "" || true  # the box that says so (untitled under Wine)
probe file-choose "$title" || fail "the dialog does not close on Cancel"
check "refused: tHypertext keeps its text" "$(text_of tHypertext)" ""
choose_file empty "" "$(win "Закладки Łódź")" 'C:\wurzel.html'
check "empty: a file in the drive's root" "$(text_of tHypertext)" 'C:\wurzel.html'

before=$(text_of tFavoriten)
probe click bFavoriten || fail "no bFavoriten"
probe folder-browser 30 >"$out/folder-browser.txt" || fail "no folder browser"
screenshot "$out/folder-browser.png"
check "the folder browser's text" "$(field "$out/folder-browser.txt" text 2)" "Bitte wählen Sie den gewünschten Zielordner ..."
probe folder-choose || fail "the folder browser does not close on Cancel"
check "cancel: tFavoriten keeps its text" "$(text_of tFavoriten)" "$before"
probe click bFavoriten
probe folder-choose 'C:\' '(C:)' >"$out/folder-drive.txt" || fail "drive C: can't be chosen"
check "a drive gives its root" "$(text_of tFavoriten)" 'C:\'
probe click bFavoriten
probe folder-choose "$(win "Избранное ✓ Müller")" >"$out/folder-ordinary.txt" || fail "Избранное ✓ Müller can't be chosen"
check "an ordinary folder gives its path" "$(text_of tFavoriten)" "$(win "Избранное ✓ Müller")"
probe close
probe wait-gone 10 || fail "the window does not close"

# ---- 3. A profile with Firefox's bookmark database and no export ----
# The database of a generated Firefox export with its list of the
# shortcuts it gives ("name<TAB>URL").
database="$profile/places.sqlite"
"$root/build/host/bench/merkwandel-bench-generate" places 60 "$database" "$out/expected.tsv"
before=$(md5sum "$database")
target="$favorites/Importierte Dateien"
# The shortcuts in the target folder as "name<TAB>URL", each checked to be
# exactly the two lines of a shortcut.
written() {
  (cd "$target" && perl -e 'for my $f (glob("*.url")) { open(my $h, "<", $f) or die; local $/; my $c = <$h>;
    (my $n = $f) =~ s/\.url$//; print $c =~ /\A\[InternetShortcut\]\r\nURL=(.*)\r\n\z/ ? "$n\t$1\n" : "$f: $c\n" }') |
    LC_ALL=C sort
}
# convert CASE EXPECTED: "Starten", the report, the shortcuts (EXPECTED as
# "name<TAB>URL" lines), Explorer closed again.
convert() {
  local count
  count=$(wc -l <"$2")
  rm -rf "$target"
  probe click bStarten
  probe messages " Merkwandel" 1.5 60 >"$out/messages-$1.txt" || true
  check "$1: the report" "$(awk -F'\t' '$1 == "message" { print $3 ": " $6 }' "$out/messages-$1.txt")" \
    "information: Es wurden $count Favoriten aus der Firefox Lesezeichendatei exportiert.    |"
  probe close-explorer 15 >/dev/null || true
  check "$1: the shortcuts" "$(written)" "$(LC_ALL=C sort "$2")"
}
start_program
probe window 60 >"$out/window-places.txt" || fail "the window does not open again"
check "tHypertext: the profile's database" "$(control "$out/window-places.txt" tHypertext 11)" "$(windows_path "$database")"
convert places "$out/expected.tsv"
# Held open for reading and writing by a program that lets others do the
# same, as Firefox holds it while it runs.
hold "$database" --share || fail "the probe did not hold the database"
convert places-held "$out/expected.tsv"
release
check "the profile: the database unchanged, nothing beside it" "$(md5sum "$database"; ls "$profile")" \
  "$before"$'\n'"places.sqlite"
check "no copy left among the temporary files" "$(find "$WINEPREFIX/drive_c/users" -iname 'merkwandel-*')" ""
probe close
probe wait-gone 10 || fail "the window does not close"

# ---- 4. Chrome's bookmarks, when the Firefox profile holds none ----
# Chrome's "Local State" names "Profile 1" as the profile used last; the
# file of its "Default" profile is newer.
rm "$database"
localappdata="$out/data/Lokale Anwendungsdaten Jürgen"
chrome="$localappdata/Google/Chrome/User Data"
mkdir -p "$chrome/Default" "$chrome/Profile 1"
printf '{"browser":{"enabled_labs_experiments":[]},"profile":{"info_cache":{},"last_used":"Profile 1"}}' \
  >"$chrome/Local State"
# Three bookmarks as Chrome writes them (on fewer lines): keys sorted,
# a folder's children before its type, non-ASCII text raw and as escapes.
cat >"$chrome/Profile 1/Bookmarks" <<'JSON'
{ "checksum": "4f3c2b1a0e9d8c7b6a5f4e3d2c1b0a99", "roots": {
   "bookmark_bar": { "children": [ { "date_added": "13345678901234567", "date_last_used": "0", "guid": "5b4f2f4e-1d3c-4a8e-9d6b-2a1c3e4f5a6b", "id": "5", "name": "Debian", "type": "url", "url": "https://www.debian.org/" }, { "children": [ { "date_added": "13345678901234568", "guid": "7c5e3a1f-2b4d-4c6e-8f0a-1b3d5f7a9c2e", "id": "7", "meta_info": { "power_bookmark_meta": "" }, "name": "Lesezeichen – Wikipedia", "type": "url", "url": "https://de.wikipedia.org/wiki/Lesezeichen_(Internet)" } ], "date_added": "13345678901234560", "date_modified": "13345678901234568", "guid": "9e8d7c6b-5a4f-4e3d-2c1b-0a9f8e7d6c5b", "id": "6", "name": "Nachschlagen", "type": "folder" } ], "date_added": "13345678901234500", "date_modified": "13345678901234568", "guid": "0bc5d13f-2cba-5d74-951f-3f233fe6c908", "id": "1", "name": "Lesezeichenleiste", "type": "folder" },
   "other": { "children": [ { "date_added": "13345678901234569", "guid": "3a2b1c0d-9e8f-4a7b-6c5d-4e3f2a1b0c9d", "id": "8", "name": "Gr\u00FC\u00DFe aus K\u00F6ln", "type": "url", "url": "https://www.koeln.de/" } ], "date_added": "13345678901234500", "date_modified": "0", "guid": "82b081ec-3dd3-529c-8475-ab6c344590dd", "id": "2", "name": "Weitere Lesezeichen", "type": "folder" },
   "synced": { "children": [  ], "date_added": "13345678901234500", "date_modified": "0", "guid": "4cf2e351-0e85-532b-bb37-df045d8f8d0f", "id": "3", "name": "Mobile Lesezeichen", "type": "folder" } },
  "version": 1 }
JSON
printf 'Debian\thttps://www.debian.org/\nLesezeichen – Wikipedia\thttps://de.wikipedia.org/wiki/Lesezeichen_(Internet)\nGrüße aus Köln\thttps://www.koeln.de/\n' \
  >"$out/expected-chrome.tsv"
echo '{"roots":{}}' >"$chrome/Default/Bookmarks"
touch -d '1 hour ago' "$chrome/Profile 1/Bookmarks"
# Explorer, which every report opens, writes Wine's own paths back into
# "Shell Folders": set the three again.
set_shell_folder AppData "$(windows_path "$appdata")"
set_shell_folder Favorites "$(windows_path "$favorites")"
set_shell_folder "Local AppData" "$(windows_path "$localappdata")"
start_program
probe window 60 >"$out/window-chrome.txt" || fail "the window does not open with Chrome's profile"
check "tHypertext: Chrome's last-used profile's bookmarks" "$(control "$out/window-chrome.txt" tHypertext 11)" \
  "$(windows_path "$chrome/Profile 1/Bookmarks")"
convert chrome "$out/expected-chrome.tsv"
probe close
probe wait-gone 10 || fail "the window does not close"
printf 'paths_e2e: screenshots in %s\n' "$out"
finish_checks
