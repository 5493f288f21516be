# shellcheck shell=bash
# Shared by bench/run and bench/wine-run: medians, and fresh target folders
# on a file system that punishes creating files where files were just
# deleted.
#
# On ext4 without a journal (as on the development machines), creating a file
# in a block group where many files were deleted in the last six minutes
# costs several times as much: the inode allocator steps over every recently
# deleted inode, at every file it creates. So the target folders are only
# removed at the end, a run first waits until six minutes have passed since
# the last one removed its folders, and the targets' parent is marked as a
# top of directory hierarchies (chattr +T) so that ext4 spreads the fresh
# target folders over block groups. Other programs on the machine delete
# files too; so before a fresh target folder is used, a probe of 300 plain
# file writes next to it checks its block group, and a group where creating
# files costs more than three times the best seen is passed over (up to four
# times).
#
# Expects $work (an absolute folder; the bookmark files go to $work/data),
# $seed, and the host floor and generator in $floor and $generate.

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
  if (NR % 2) printf "%.6f", v[(NR + 1) / 2]; else printf "%.6f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() {  # "min-max" as a percentage around the median
  local m; m=$(median "$@")
  printf '%s\n' "$@" | sort -g | awk -v m="$m" 'NR == 1 { lo = $1 } { hi = $1 } END {
    if (m > 0) printf "%+.0f/%+.0f%%", (lo - m) / m * 100, (hi - m) / m * 100; else printf "-" }'
}
measured() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }  # measured KEY "k=v k=v ..."

# Removes target folders and notes when, for the next run's wait.
remove_targets() { rm -rf "$@"; sync; touch "$work/targets-removed"; }

# Removes what an interrupted run left, waits until the last removal no
# longer slows down creating files, and makes the parent of this run's target
# folders: $targets. The caller removes it at the end (remove_targets).
prepare_targets() {
  local stamp=$work/targets-removed wait_s leftovers
  shopt -s nullglob
  leftovers=("$work"/targets.*)
  shopt -u nullglob
  ((${#leftovers[@]} == 0)) || remove_targets "${leftovers[@]}"
  if [[ -e $stamp ]]; then
    wait_s=$((360 + 10 - ($(date +%s) - $(stat -c %Y "$stamp"))))
    if ((wait_s > 0)); then
      echo "Waiting ${wait_s}s until the files removed by the last run no longer slow down creating files." >&2
      sleep "$wait_s"
    fi
  fi
  targets=$(mktemp -d "$work/targets.XXXXXX")
  chattr +T "$targets" 2>/dev/null || true
}

data_file() {  # kind size -> generates once, prints the path stem (bookmark_file gives the file)
  local stem="$work/data/$1-$2-$seed" ext=html
  [[ $1 == places ]] && ext=sqlite
  [[ $1 == chromium ]] && ext=json
  if [[ ! -s $stem.$ext || ! -s $stem.tsv ]]; then
    "$generate" "$1" "$2" "$stem.$ext" "$stem.tsv" "$seed"
  fi
  cat "$stem.$ext" >/dev/null  # in the page cache, as a file just exported is
  echo "$stem"
}
# The bookmark file of a stem: a Firefox bookmark database (places), a
# Chromium-family Bookmarks file (chromium) or an HTML file.
bookmark_file() {
  local ext
  for ext in sqlite json html; do [[ -e $1.$ext ]] && break; done
  echo "$1.$ext"
}

probe_once() {  # folder -> seconds for the probe's writes
  measured wall "$("$floor" "$work/data/probe.tsv" "$1")"
}

# The probe: 300 shortcut files; its best time of three.
prepare_probe() {
  local best=1000000 r dir seconds
  head -n 300 "$(data_file firefox 1000).tsv" >"$work/data/probe.tsv"
  for ((r = 1; r <= 3; r++)); do
    dir=$(mktemp -d "$targets/p.XXXXXX")
    sync
    seconds=$(probe_once "$dir")
    best=$(awk "BEGIN { print ($seconds < $best) ? $seconds : $best }")
  done
  echo "$best" >"$targets/best-probe"
  : >"$targets/passed-over"
}

# A fresh, empty target folder in a block group where creating files is not
# slowed down; prints its path.
fresh_target() {
  local parent seconds best attempt
  for ((attempt = 1; attempt <= 4; attempt++)); do
    parent=$(mktemp -d "$targets/p.XXXXXX")
    mkdir "$parent/probe"
    sync
    seconds=$(probe_once "$parent/probe")
    best=$(cat "$targets/best-probe")
    if awk "BEGIN { exit !($seconds <= 3 * $best) }"; then break; fi
    echo "passed over a block group: probe ${seconds}s, best ${best}s" >>"$targets/passed-over"
  done
  awk "BEGIN { exit !($seconds < $best) }" && echo "$seconds" >"$targets/best-probe"
  mkdir "$parent/target"
  sync
  echo "$parent/target"
}
