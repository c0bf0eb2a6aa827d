#!/usr/bin/env bash
# A second start while the program runs says so and ends; the first keeps running.
source "$(dirname "$0")/xvfb-common.sh"
run_on_display

"$work/zem" &
first=$!
pids+=("$first")
wait_window "$first" 20 '^Tavelin.* 1\.0 - ' >/dev/null || fail "the first copy shows no main window"

start=$(date +%s%N)
"$work/zem" --debug &
second=$!
pids+=("$second")
box=$(wait_window "$second" 10 '^Tavelin$') || fail "the second copy shows no message"
import -window root "$output_folder/second_instance.png"
grep -q "Tavelin已经在运行" "$work/debug.txt" || fail "the second copy's message is not the running text"
xdotool search --all --pid "$second" --name '^Tavelin.* 1\.0 - ' >/dev/null 2>&1 && fail "the second copy opened a main window"

xdotool windowfocus --sync "$box" key Return
end=$(( $(date +%s%N) + 2000000000 ))
while kill -0 "$second" 2>/dev/null; do
    [ "$(date +%s%N)" -lt "$end" ] || fail "the second copy did not end within 2 s of its message"
    sleep 0.05
done
wait "$second" || fail "the second copy ended with an error"
echo "second copy: message after $(( ($(date +%s%N) - start) / 1000000 )) ms in all"
kill -0 "$first" || fail "the first copy did not keep running"
