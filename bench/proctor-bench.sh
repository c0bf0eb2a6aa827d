#!/usr/bin/env bash
# The automatic assignment of invigilators, without its pauses, for 40 exams of 30 rooms with 2
# invigilators each and 200 teachers, over a few seeds: one JSON line per run from zem-proctor.
#   bench/proctor-bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

task=$("$build/bin/zem-proctor" --make-fixture "$work/task")
for seed in $(seq "$runs"); do
    "$build/bin/zem-proctor" "$task" 基准监考 --seed "$seed"
done
