# What the smoke tests of the real program share: a private copy of the program (so zem.ini goes
# beside it), private user folders, and a virtual display. Sourced by the tests.
set -euo pipefail

zem_binary=$1
output_folder=$2
mkdir -p "$output_folder"

work=$(mktemp -d)
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
cp "$zem_binary" "$work/zem"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
# The program runs on the virtual display; Qt's own allocations at exit are not ours to report.
unset QT_QPA_PLATFORM
export ASAN_OPTIONS=detect_leaks=0

pids=()
# Last started first: the programs end before their display does.
cleanup() {
    local i
    for (( i = ${#pids[@]} - 1; i >= 0; i-- )); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $2 seconds for a visible window of process $1 whose name matches $3; prints its id.
wait_window() {
    local pid=$1 seconds=$2 name=$3 id
    local end=$(( $(date +%s%N) + seconds * 1000000000 ))
    while [ "$(date +%s%N)" -lt "$end" ]; do
        id=$(xdotool search --all --onlyvisible --pid "$pid" --name "$name" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Runs the test body on a virtual display of 1280 x 800. The server picks a free display number
# itself and writes it once it accepts connections, so that suites running side by side on one
# machine never pick the same display.
run_on_display() {
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    local server=$!
    pids+=("$server")
    local end=$(( $(date +%s%N) + 20 * 1000000000 ))
    until [ -s "$work/display" ]; do
        kill -0 "$server" 2>/dev/null || fail "the virtual display did not start: $(cat "$work/xvfb.log")"
        [ "$(date +%s%N)" -lt "$end" ] || fail "the virtual display did not start within 20 s"
        sleep 0.05
    done
    DISPLAY=:$(head -n 1 "$work/display")
    export DISPLAY
    # The program starts only once a client can connect: under load the first connection has been
    # refused although the server had given its number.
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        kill -0 "$server" 2>/dev/null || fail "the virtual display ended: $(cat "$work/xvfb.log")"
        [ "$(date +%s%N)" -lt "$end" ] || fail "the virtual display takes no connection within 20 s"
        sleep 0.05
    done
}
