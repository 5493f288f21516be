#!/usr/bin/env bash
# merkwandel-console: the run from the command line, with the output a script reads.
set -euo pipefail
console=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/Закладки Łódź"
printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n<DT><A HREF="http://a.example/">Твіттер Ελλάδα 😀</A>\r\n<DT><A HREF="http://b.example/">Zwei</A>\r\n</DL>\r\n' > "$work/Закладки Łódź/bookmarks.html"

fail() { echo "FAIL: $*"; exit 1; }

# A drive letter mapped to a host folder; the target folder is created.
# Paths and names in any script go in and come out as they are.
out=$(MERKWANDEL_DRIVES="X=$work" "$console" 'X:\Закладки Łódź\bookmarks.html' 'X:\Избранное ✓\Import')
expected=$'information: Es wurden 2 Favoriten aus der Firefox Lesezeichendatei exportiert.    \nexplorer: Explorer.exe X:\\Избранное ✓\\Import\\'
[[ $out == "$expected" ]] || fail "unexpected output: $out"
[[ -f "$work/Избранное ✓/Import/Твіттер Ελλάδα 😀.url" ]] || fail "no Твіттер Ελλάδα 😀.url"
[[ $(cat "$work/Избранное ✓/Import/Zwei.url") == $'[InternetShortcut]\r\nURL=http://b.example/\r' ]] || fail "content"

# A target folder that can't be made below a file: the warning, then the
# error, each with its icon; exit status 0.
out=$("$console" "$work/Закладки Łódź/bookmarks.html" "$work/Закладки Łódź/bookmarks.html/Favoriten")
[[ $out == $'warning: Der Zielordner für den Import der Favoriten konnte nicht erstellt werden.    \nerror: Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    ' ]] ||
  fail "unexpected output: $out"

# Wrong use.
if "$console" only-one 2>/dev/null; then fail "accepted one argument"; fi
echo "console test passed"
