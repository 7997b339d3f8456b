# Sourced by the test scripts. start_own_xvfb WORK SCREEN starts an X server
# of the test's own at 96 dpi on a free display (Xvfb picks it and writes its
# number to a descriptor), exports DISPLAY and sets xvfb_pid; the caller ends
# the server. Its output goes to WORK/xvfb.log.
start_own_xvfb() {
    local work=$1 screen=$2
    Xvfb -displayfd 3 -screen 0 "$screen" -dpi 96 -nolisten tcp \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2
        return 1
    fi
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
}
