#!/usr/bin/env bash
# Conversions that meet a full disk or a destination the user cannot write: the outcome is
# reported, no half-written drawing is left, the previous file stays where it was, and the
# sources do not change.
# Usage: fault_injection_test.sh TOLVANE_CLI EXAMPLES_FOLDER
set -uo pipefail
cli=$1
examples=$2
# As root the work folder must be reachable by nobody, so it goes under /tmp.
if [ "$(id -u)" -eq 0 ]; then tmp=/tmp; else tmp=${TMPDIR:-/tmp}; fi
work=$(mktemp -d "$tmp/tolvane-faults.XXXXXX")
chmod 755 "$work"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir "$work/src"
cp "$examples"/*.jww "$examples"/*.jws "$examples/sxf-delivery.set" "$work/src/"
chmod -R a+rX "$work/src"
before=$(cd "$work/src" && sha256sum *)

# Every drawing left in a folder, but a previous file kept in place, reads completely.
all_readable() {
  local folder=$1 f
  for f in "$folder"/*.jww "$folder"/*.jws; do
    [ -e "$f" ] || continue
    printf previous | cmp -s - "$f" && continue
    "$cli" info "$f" > /dev/null || { echo "unreadable: $f"; return 1; }
  done
}

# 1. The disk fills during the writes: a file-size limit of 8 KiB for the process.
mkdir "$work/full"
printf 'previous' > "$work/full/plan-600.jww"
prlimit --fsize=8192 "$cli" convert --settings "$work/src/sxf-delivery.set" --dest "$work/full" "$work/src" > "$work/full.out" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "disk full: exit status $status, expected 1"
grep -q "failed: .*plan-600.jww" "$work/full.out" || fail "disk full: plan-600.jww not reported as failed"
[ "$(cat "$work/full/plan-600.jww")" = "previous" ] || fail "disk full: the previous plan-600.jww was not kept in place"
[ ! -e "$work/full/plan-600.BAK" ] || fail "disk full: a backup was made for a drawing that was not written"
[ -z "$(find "$work/full" -name '.tolvane-*')" ] || fail "disk full: temporary files are left"
all_readable "$work/full" || fail "disk full: a partial drawing was left"
grep -q "converted: .*fittings.jws" "$work/full.out" || fail "disk full: the small figure file was not converted"

# 2. A destination the user cannot write into.
mkdir "$work/locked"
printf 'previous' > "$work/locked/plan-600.jww"
if [ "$(id -u)" -eq 0 ]; then
  # Root writes anywhere: the run goes as nobody instead, from a copy of the program that
  # nobody can reach (the build folder may sit in a private home such as /root).
  chmod 755 "$work/locked"
  mkdir "$work/bin"
  cp "$cli" "$work/bin/tolvane-cli"
  chmod 755 "$work/bin" "$work/bin/tolvane-cli"
  run=(setpriv --reuid=65534 --regid=65534 --clear-groups env TMPDIR=/tmp "$work/bin/tolvane-cli")
else
  chmod 555 "$work/locked"
  run=("$cli")
fi
"${run[@]}" convert --settings "$work/src/sxf-delivery.set" --dest "$work/locked" "$work/src" > "$work/locked.out" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "read-only destination: exit status $status, expected 1"
drawings=$(ls "$work/src"/*.jww "$work/src"/*.jws | wc -l)
grep -q "0 converted, 1 skipped, $drawings failed" "$work/locked.out" || fail "read-only destination: $(tail -1 "$work/locked.out")"
[ "$(cat "$work/locked/plan-600.jww")" = "previous" ] || fail "read-only destination: the previous file changed"
[ "$(ls "$work/locked")" = "plan-600.jww" ] || fail "read-only destination: files were added: $(ls "$work/locked")"

after=$(cd "$work/src" && sha256sum *)
[ "$before" = "$after" ] || fail "the sources changed"

if [ "$failures" -gt 0 ]; then
  echo "--- disk full run:"; cat "$work/full.out"
  echo "--- read-only run:"; cat "$work/locked.out"
  exit 1
fi
echo "fault injection: all cases passed"
