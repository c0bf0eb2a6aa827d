#!/usr/bin/env bash
# The plan import of the large school's flat list (120 classes, 2,520 plans) into an empty task
# through zem-import: the plan page's rows and its save. One JSON line per run, each into a fresh
# copy of the empty task.
#   bench/plan-import-bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

{ read -r task; read -r plans; } < <("$build/bin/zem-import" --make-plans "$work/L120")
folder=$(dirname "$task")
for run in $(seq "$runs"); do
    rm -rf "$work/run"
    cp -r "$folder" "$work/run"
    /usr/bin/time -f '{"max_rss_kb": %M}' "$build/bin/zem-import" "$work/run/$(basename "$task")" --kind plans "$plans" \
        2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    tail -1 "$work/err"
done
