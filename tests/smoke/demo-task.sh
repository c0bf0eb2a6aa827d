#!/usr/bin/env bash
# The program opens a copy of the demo task, shows it in the main window, and closes on the
# window's close as a user closes it: exit code 0 and the task's files as they were.
source "$(dirname "$0")/xvfb-common.sh"
run_on_display

task="$work/任务/演示排课"
mkdir -p "$task"
cp "$(dirname "$zem_binary")"/demoD/* "$task/"
# The demo task is the last task, so the program reopens it.
printf '[Recently Tasks]\r\n1=%s\r\n' "$task/演示排课.zem" | iconv -f UTF-8 -t GBK > "$work/zem.ini"
fingerprint() { (cd "$task" && find . -print0 | sort -z | xargs -0 md5sum 2>/dev/null; find . | sort); }
before=$(fingerprint)

start=$(date +%s%N)
"$work/zem" &
pid=$!
pids+=("$pid")
main=$(wait_window "$pid" 30 '^Tavelin.* 1\.0 - ') || fail "no main window"
echo "main window after $(( ($(date +%s%N) - start) / 1000000 )) ms"
# The splash goes after its 1.5 s; the picture shows the main window with the task.
end=$(( $(date +%s%N) + 5000000000 ))
while xdotool search --all --onlyvisible --pid "$pid" --name '^Tavelin$' >/dev/null 2>&1; do
    [ "$(date +%s%N)" -lt "$end" ] || fail "the splash stays"
    sleep 0.1
done
name=$(xdotool getwindowname "$main")
[[ "$name" == *"演示排课"* ]] || fail "the main window's caption names no task: $name"
sleep 0.3
import -window root "$output_folder/smoke_demo_task.png"
echo "resident memory with the demo task open: $(grep VmRSS /proc/$pid/status | tr -s ' \t' ' ')"

"$(dirname "$0")/close-window.py" "$main" || fail "the close could not be sent"
end=$(( $(date +%s%N) + 15000000000 ))
while kill -0 "$pid" 2>/dev/null; do
    [ "$(date +%s%N)" -lt "$end" ] || fail "the program did not end within 15 s of the close"
    sleep 0.1
done
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with exit code $status"
after=$(fingerprint)
[ "$before" = "$after" ] || fail "the task's files changed: $(diff <(echo "$before") <(echo "$after"))"
echo "closed with exit code 0; the task's files are unchanged"
