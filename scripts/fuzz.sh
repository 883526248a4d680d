#!/usr/bin/env bash
# Runs fuzz targets for SECONDS each from their seed corpus (tests/fuzz/corpus/NAME,
# read only; what a run adds goes to BUILD/corpus/NAME) and prints
# "fuzz NAME runs=N seconds=S" for each. Exits 1 if any target found a
# difference or a fault; the input that found it is where the message says.
#   scripts/fuzz.sh BUILD SECONDS [NAME...]   (default: every target built)
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for target in "$build"/tests/fuzz/*Fuzz; do names+=("$(basename "$target")"); done
fi

status=0
for name in "${names[@]}"; do
  work=$build/corpus/$name
  findings=$build/findings/$name
  log=$build/logs/$name.log
  mkdir -p "$work" "$findings" "$(dirname "$log")" "tests/fuzz/corpus/$name"
  start=$SECONDS
  "$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$name" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  echo "fuzz $name runs=${runs:-0} seconds=$((SECONDS - start))"
  if [ $rc -ne 0 ]; then
    input=$(grep -o 'Test unit written to .*' "$log" | sed 's/Test unit written to //' | tail -1)
    echo "fuzz $name found a fault (exit $rc): input in ${input:-$findings/}, log in $log" >&2
    grep -m 5 -E 'difference:|ERROR:|SUMMARY:|runtime error' "$log" >&2
    status=1
  fi
done
exit $status
