#!/usr/bin/env bash
# The reverse import of the large school's class master timetable (横排, equal lessons in a row
# merged): the school with its timetables, its master timetable through zem-export, then
# zem-reverse-import into a new task with the same teaching time. One JSON line per run.
#   bench/reverse-import-bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

task=$("$build/bin/zem-reverse-import" --make-fixture "$work/L120")
printf '[WeekTable]\r\nMergeContinuous=1\r\n[SchoolTable]\r\nShowSS=1\r\n' > "$work/zem.ini"
QT_QPA_PLATFORM=offscreen "$build/bin/zem-export" "$task" --kind master --out "$work/master.xlsx" \
    --ini "$work/zem.ini" >/dev/null
for run in $(seq "$runs"); do
    "$build/bin/zem-reverse-import" "$work/master.xlsx" "$work/new$run" --week "$task"
done
