#!/usr/bin/env bash
# Starts tolvane.exe under Wine and Xvfb from a copy in a scratch folder, waits for its main
# window to be painted (TOLVANE_EXIT_AFTER_SHOW=1 closes it again), and checks its title, its
# exit status and the state file it writes beside itself at the end.
#
#   win32/smoke.sh path/to/tolvane.exe
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp "$1" "$scratch/tolvane.exe"
output="$(TOLVANE_EXIT_AFTER_SHOW=1 timeout 120 "$here/scripts/wine-gui" "$scratch/tolvane.exe")"
title="$(head -n 1 <<<"$output" | tr -d '\r')"
if [ "$title" != "Tolvane Ver.1.04" ]; then
  echo "smoke: expected the title \"Tolvane Ver.1.04\", got \"$title\"" >&2
  exit 1
fi
if ! grep -q '^F1_W=[1-9]' "$scratch/tolvane.ini" 2>/dev/null; then
  echo "smoke: the state file was not written beside the program" >&2
  exit 1
fi
echo "smoke: the main window was $(grep "^shown after" <<<"$output" | tr -d '\r'); the program ended normally and wrote tolvane.ini"
