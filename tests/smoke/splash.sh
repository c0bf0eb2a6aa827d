#!/usr/bin/env bash
# With an empty configuration the splash shows over the maximised main window for about 1.5 s.
source "$(dirname "$0")/xvfb-common.sh"
run_on_display

"$work/zem" &
pid=$!
pids+=("$pid")
main=$(wait_window "$pid" 20 '^Tavelin.* 1\.0 - ') || fail "no main window"
splash=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Tavelin$' | head -1) || true
[ -n "$splash" ] || fail "no splash when the main window shows"
sleep 0.2
import -window root "$output_folder/splash_over_main_window.png"

# The main window fills the screen.
eval "$(xdotool getwindowgeometry --shell "$main")"
[ "$WIDTH" = 1280 ] && [ "$HEIGHT" = 800 ] || fail "main window is ${WIDTH}x${HEIGHT}, not the whole screen"

# The splash lies above it: xwininfo lists the top-level windows from the top down.
order=$(xwininfo -root -children | grep -o '^ *0x[0-9a-f]*' | tr -d ' ')
splash_hex=$(printf '0x%x' "$splash")
main_hex=$(printf '0x%x' "$main")
splash_at=$(echo "$order" | grep -n "^$splash_hex$" | cut -d: -f1)
main_at=$(echo "$order" | grep -n "^$main_hex$" | cut -d: -f1)
[ -n "$splash_at" ] && [ -n "$main_at" ] && [ "$splash_at" -lt "$main_at" ] || fail "the splash is not above the main window"

# And goes after its 1.5 s.
end=$(( $(date +%s%N) + 4000000000 ))
while xdotool search --all --onlyvisible --pid "$pid" --name '^Tavelin$' >/dev/null 2>&1; do
    [ "$(date +%s%N)" -lt "$end" ] || fail "the splash stays"
    sleep 0.1
done
kill -0 "$pid" || fail "the program ended"
