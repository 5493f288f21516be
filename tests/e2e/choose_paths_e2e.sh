#!/usr/bin/env bash
# End-to-end test of the two "..." buttons under Wine, worked through the
# dialogs they open, on build/win64/merkwandel.exe:
#
# 1. bHypertext opens the open-file dialog titled "Datei öffnen" in the
#    folder of the file named in tHypertext, or in the current directory
#    when that names nothing, offering HTML files (chosen), Firefox's
#    bookmark database and all files; the file chosen there goes into
#    tHypertext; Cancel changes nothing.
# 2. bFavoriten opens the shell's folder browser with its text; Cancel
#    changes nothing; a drive gives its root, an ordinary folder its path.
#
# Runs in a Wine prefix and on a virtual display of its own and ends both
# on every way out. Dialog states and screenshots go to
# build/e2e-choose-paths/.
#
# Needs build/win64 (merkwandel.exe, merkwandel-probe.exe).
set -euo pipefail
# The whole test ends within 15 minutes, whatever hangs (its cleanup runs).
[[ -n "${MERKWANDEL_E2E_LIMITED:-}" ]] || MERKWANDEL_E2E_LIMITED=1 exec timeout 900 "$0" "$@"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/e2e-choose-paths"
rm -rf "$out"
mkdir -p "$out"
export WINEPREFIX="$out/wineprefix"
export MERKWANDEL_DESKTOP=MerkwandelChoosePaths
# shellcheck source=lib.sh
source "$root/tests/e2e/lib.sh"
trap stop_all EXIT
trap 'echo "FAIL choose_paths_e2e.sh line $LINENO: $BASH_COMMAND" >&2' ERR

prepare_prefix
start_display

# The files and folders a user picks from.
data="$out/data"
mkdir -p "$data/Daten" "$data/Andere" "$data/Zielordner Müller"
for file in Daten/bookmarks.html Daten/zweite.html Andere/export.html; do
  echo '<!DOCTYPE NETSCAPE-Bookmark-file-1>' >"$data/$file"
done
win() { windows_path "$data/$1"; }

# The text of a control of the window now.
text_of() {
  probe window 5 >"$out/now.txt" || fail "the window is gone"
  control "$out/now.txt" "$1" 11
}

# The program's current directory is the folder Andere.
(cd "$data/Andere" && start_program)
probe window 60 >"$out/window.txt" || fail "the window does not open"

title="Datei öffnen"
# choose_file CASE TEXT-BEFORE FOLDER-SHOWN [NAME]: puts TEXT-BEFORE into
# tHypertext, clicks its "...", checks the dialog and the folder it opens
# in, then chooses NAME there (types it, presses Open) or, without NAME,
# cancels.
choose_file() {
  local case=$1 before=$2 shown=$3 name=${4:-}
  probe set tHypertext "$before" || fail "$case: no tHypertext"
  probe click bHypertext || fail "$case: no bHypertext"
  probe file-dialog "$title" 30 >"$out/file-dialog-$case.txt" || fail "$case: no dialog titled $title"
  check "$case: the dialog's title" "$(field "$out/file-dialog-$case.txt" title 2)" "$title"
  check "$case: the file type" "$(field "$out/file-dialog-$case.txt" type 2)" "Hypertextdokumente"
  check "$case: the file types offered" "$(field "$out/file-dialog-$case.txt" types 2)" \
    "Hypertextdokumente|Firefox-Lesezeichendatenbank|Alle Dateitypen"
  check "$case: the dialog opens in" "$(field "$out/file-dialog-$case.txt" folder 2)" "$shown"
  screenshot "$out/file-dialog-$case.png"
  if [[ -n $name ]]; then
    probe file-choose "$title" "$name" || fail "$case: the dialog does not take $name"
  else
    probe file-cancel "$title" || fail "$case: the dialog does not close on Cancel"
  fi
}

# ---- 1. The bookmark file ----
choose_file missing "$(win Fehlt/bookmarks.html)" "$(win Andere)" export.html
check "missing: a file chosen in the current directory" "$(text_of tHypertext)" "$(win Andere/export.html)"

choose_file existing "$(win Daten/bookmarks.html)" "$(win Daten)" zweite.html
check "existing: a file chosen in the bookmark file's folder" "$(text_of tHypertext)" "$(win Daten/zweite.html)"

choose_file cancel "$(win Daten/bookmarks.html)" "$(win Daten)"
check "cancel: tHypertext keeps its text" "$(text_of tHypertext)" "$(win Daten/bookmarks.html)"

# The dialog makes the chosen file's folder the current directory, so an
# empty field now opens it in Daten.
choose_file empty "" "$(win Daten)" bookmarks.html
check "empty: a file chosen in the new current directory" "$(text_of tHypertext)" "$(win Daten/bookmarks.html)"

# ---- 2. The target folder ----
before=$(text_of tFavoriten)
probe click bFavoriten || fail "no bFavoriten"
probe folder-browser 30 >"$out/folder-browser.txt" || fail "no folder browser"
screenshot "$out/folder-browser.png"
check "the folder browser's text" "$(field "$out/folder-browser.txt" text 2)" \
  "Bitte wählen Sie den gewünschten Zielordner ..."
probe folder-cancel || fail "the folder browser does not close on Cancel"
check "cancel: tFavoriten keeps its text" "$(text_of tFavoriten)" "$before"

probe click bFavoriten
probe folder-choose 'C:\' '(C:)' >"$out/folder-drive.txt" || fail "drive C: can't be chosen"
check "a drive gives its root" "$(text_of tFavoriten)" 'C:\'

probe set tFavoriten 'C:\Vorher\Importierte Dateien'
probe click bFavoriten
probe folder-choose "$(win "Zielordner Müller")" >"$out/folder-ordinary.txt" ||
  fail "the folder Zielordner Müller can't be chosen"
check "an ordinary folder gives its path" "$(text_of tFavoriten)" "$(win "Zielordner Müller")"

probe close
probe wait-gone 10 || fail "the window does not close"
printf 'choose_paths_e2e: screenshots in %s\n' "$out"
finish_checks
