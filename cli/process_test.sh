#!/usr/bin/env bash
# The command line as a process. Usage errors exit with 2. A conversion killed at any moment
# (SIGKILL) leaves under each drawing's name either the file that was there or the complete
# converted drawing, and loses no file that was in the destination. A conversion stopped by
# SIGINT or SIGTERM finishes the files it is converting, removes its temporary files and its
# image folder, prints its summary and exits with 130.
# Usage: process_test.sh TOLVANE_CLI MAKE_CORPUS EXAMPLES_FOLDER [KILLS]
set -uo pipefail
cli=$1
make_corpus=$2
settings=$3/sxf-delivery.set
kills=${4:-4}
work=$(mktemp -d "${TMPDIR:-/tmp}/tolvane-process.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 1. Usage errors, and help, which is none.
for args in "convert" "list --filter 9 ." "frobnicate" "info" "render x.jww"; do
  # shellcheck disable=SC2086
  "$cli" $args > /dev/null 2>&1
  status=$?
  [ "$status" -eq 2 ] || fail "usage error '$args': exit status $status, expected 2"
done
"$cli" --help > /dev/null || fail "--help: exit status $?, expected 0"

# The sources: synthetic drawings of mixed sizes, some with embedded images. The destination
# before each run holds a file under every name; the reference is what a whole run writes.
"$make_corpus" "$work/src" 24 > /dev/null || { echo "cannot make the drawings"; exit 1; }
mkdir "$work/before" "$work/reference"
for f in "$work/src"/*; do printf 'previous %s' "$(basename "$f")" > "$work/before/$(basename "$f")"; done
cp "$work/before"/* "$work/reference/"
start=$(date +%s%N)
"$cli" convert --jobs 2 --settings "$settings" --dest "$work/reference" "$work/src" > "$work/reference.out" 2>&1 ||
  { cat "$work/reference.out"; echo "the reference run failed"; exit 1; }
duration_ms=$(( ($(date +%s%N) - start) / 1000000 ))

# Every drawing name holds its previous file or its complete conversion, and every previous
# file is still there, under its name or as a backup. Temporary files are hidden and left
# only by a killed run.
check_destination() {  # label folder
  local label=$1 dest=$2 f name stem found
  for f in "$work/src"/*; do
    name=$(basename "$f")
    if ! cmp -s "$dest/$name" "$work/before/$name" && ! cmp -s "$dest/$name" "$work/reference/$name"; then
      fail "$label: $name is neither the previous file nor the complete conversion"
    fi
    stem=${name%.*}
    found=no
    for candidate in "$dest/$name" "$dest/$stem".BAK "$dest/$stem".*.BAK; do
      [ -e "$candidate" ] && cmp -s "$candidate" "$work/before/$name" && found=yes
    done
    [ "$found" = yes ] || fail "$label: the previous $name is lost"
  done
}

# 2. Killed at a random moment of the run.
for n in $(seq 1 "$kills"); do
  rm -rf "$work/dest" "$work/tmp" && cp -r "$work/before" "$work/dest" && mkdir "$work/tmp"
  delay_ms=$(( RANDOM % (duration_ms + 1) ))
  TMPDIR="$work/tmp" "$cli" convert --settings "$settings" --dest "$work/dest" "$work/src" > /dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms="$delay_ms" 'BEGIN { print ms / 1000 }')"
  kill -KILL "$pid" 2> /dev/null
  wait "$pid" 2> /dev/null
  check_destination "killed after $delay_ms ms" "$work/dest"
done

# 3. Stopped by a signal once the first file is reported. With job control on, a background
# job is not set to ignore SIGINT, as it is in a plain script.
set -m
for signal in INT TERM; do
  rm -rf "$work/dest" "$work/tmp" && cp -r "$work/before" "$work/dest" && mkdir "$work/tmp"
  TMPDIR="$work/tmp" "$cli" convert --jobs 2 --settings "$settings" --dest "$work/dest" "$work/src" > "$work/stopped.out" 2>&1 &
  pid=$!
  for _ in $(seq 1 500); do
    grep -q "^converted: " "$work/stopped.out" && break
    sleep 0.01
  done
  kill -"$signal" "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq 130 ] || fail "SIG$signal: exit status $status, expected 130"
  tail -n 1 "$work/stopped.out" | grep -Eq "^[0-9]+ converted, 0 skipped, 0 failed, [1-9][0-9]* not started \(stopped\)$" ||
    fail "SIG$signal: summary '$(tail -n 1 "$work/stopped.out")'"
  [ -z "$(ls -A "$work/tmp")" ] || fail "SIG$signal: the image folder is left: $(ls -A "$work/tmp")"
  [ -z "$(find "$work/dest" -name '.tolvane-*')" ] || fail "SIG$signal: temporary files are left"
  check_destination "SIG$signal" "$work/dest"
done
set +m

if [ "$failures" -gt 0 ]; then
  echo "--- last stopped run:"; cat "$work/stopped.out"
  exit 1
fi
echo "process: all cases passed ($kills kills, runs of $duration_ms ms)"
