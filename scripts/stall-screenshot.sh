#!/usr/bin/env bash
# Photographs Hexmoth's window while a read stalls, under its own Xvfb: a
# 64 MiB file on a FUSE share (scripts/throttlefs.py) whose read at 8 MiB
# hangs for 30 s is opened through the real dialog; the window is taken
# 4 s into the stall.
#   scripts/stall-screenshot.sh [HEXMOTH_BINARY] [OUTPUT_PNG]
# Defaults: build/app/hexmoth and stall.png. Needs Xvfb, xdotool,
# ImageMagick's import (through scripts/screenshot.sh), fuse3 and
# python3-fusepy.
set -euo pipefail
cd "$(dirname "$0")/.."
binary=${1:-build/app/hexmoth}
output=${2:-stall.png}

work=$(mktemp -d)
pids=()
cleanup() {
  fusermount -u -z "$work/share" 2>/dev/null || true
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/files" "$work/share"
head -c $((64 << 20)) /dev/urandom > "$work/files/capture.bin"
scripts/throttlefs.py "$work/files" "$work/share" --stall-at $((8 << 20)) --stall-seconds 30 &
pids+=($!)
for _ in $(seq 50); do [ "$(stat -f -c %t "$work/share")" = 65735546 ] && break; sleep 0.1; done

scripts/screenshot.sh "$binary" "$output" "$work/share/capture.bin" 5
