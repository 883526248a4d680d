#!/usr/bin/env bash
# Takes a screenshot of Hexmoth's window after a dump, under its own Xvfb:
# starts the program, clicks 「ファイルを開く」, types the path of a small
# Shift-JIS text file into the file dialog and photographs the window.
#   scripts/screenshot.sh [HEXMOTH_BINARY] [OUTPUT_PNG] [FILE [SECONDS]]
# Defaults: build/app/hexmoth, data/screenshot.png, the sample below and
# 1.5 s from the dialog's Return to the photograph. Needs Xvfb, xdotool and
# ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
binary=${1:-build/app/hexmoth}
output=${2:-data/screenshot.png}
wait_seconds=${4:-1.5}

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The sample: Japanese and ASCII lines, written as Shift-JIS.
{
  printf 'Hexmoth サンプル\r\n'
  printf 'ファイルの中身を16進ダンプで表示します。\r\n'
  printf '項目\t値\t単位\r\n'
  printf '幅\t747\tpx\r\n'
  for i in $(seq 1 12); do printf '%02d行目: あいうえお ABCDE 12345\r\n' "$i"; done
} | iconv -f UTF-8 -t CP932 > "$work/sample.txt"
file=${3:-$work/sample.txt}

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 800x520x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
read -r display < "$work/display"
export DISPLAY=":$display"
unset QT_QPA_PLATFORM

"$binary" &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Hexmoth$' | head -1)
# Command1 sits at 528,8 with a size of 97 x 25 pixels.
xdotool mousemove --window "$window" 576 20 click 1
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '開く' | head -1)
xdotool windowfocus --sync "$dialog"
xdotool type --delay 5 "$file"
xdotool key Return
sleep "$wait_seconds"
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "wrote $output"
