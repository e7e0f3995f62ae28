#!/usr/bin/env bash
# Measures the installed application on a private desktop (Xvfb, a session bus, trayer) and
# prints the figures; it asserts nothing.
#   bench/application-benchmark.sh [BUILD_DIR] [IDLE_SECONDS]
# BUILD_DIR (default build) must hold a built tree with the test helpers (the scripted codex).
#   - start to tray icon docked, over 5 starts (the codex answers at once; docking does not wait
#     for it)
#   - resident memory: idle after start, with the popover open, after it closed, and the peak of
#     the whole run
#   - CPU time and context switches (wake-ups) of all threads over IDLE_SECONDS (default 60) with
#     no surface open
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(cd "${1:-build}" && pwd)
idle_seconds=${2:-60}
for program in Xvfb dbus-daemon trayer xdotool; do
    command -v "$program" >/dev/null || { echo "error: $program is missing" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
pids+=($!)
dbus-daemon --session --nofork --print-address=6 6>"$work/bus" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && [ -s "$work/bus" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")" DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
trayer --edge top --align right --widthtype request --height 32 >/dev/null 2>&1 &
pids+=($!)
sleep 1

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Pulsegrove" "$XDG_RUNTIME_DIR" "$work/codex"
chmod 700 "$XDG_RUNTIME_DIR"
executable=$(scripts/install.sh "$build_dir" | tail -n1)
ln -s "$build_dir/tests/support/fake-codex/fake_codex" "$work/codex/codex"
cat >"$work/codex/codex.script" <<'SCRIPT'
expect
send {"id":0,"result":{}}
expect
expect
send {"id":1,"result":{"rateLimits":{"planType":"pro","primary":{"usedPercent":25,"windowDurationMins":300},"secondary":{"usedPercent":60,"windowDurationMins":10080}}}}
SCRIPT
export PATH="$work/codex:/usr/bin:/bin"
printf '{"io.velorn.Pulsegrove.panelStyle.v1":"dashboard"}' >"$XDG_CONFIG_HOME/Pulsegrove/io.velorn.Pulsegrove.json"

now_ms() { date +%s%3N; }
icon_window() {
    for id in $(xdotool search --onlyvisible --class pulsegrove 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$WIDTH" -le 64 ] && [ "$Y" -lt 40 ]; then echo "$id $X $Y $WIDTH $HEIGHT"; return 0; fi
    done
    return 1
}
status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
# Wake-ups of the main thread, where every timer of the application runs.
switches() { awk '/^(non)?voluntary_ctxt_switches:/ { sum += $2 } END { print sum }' "/proc/$1/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

echo "start to tray icon docked (ms):"
times=()
for run in 1 2 3 4 5; do
    start=$(now_ms)
    "$executable" >/dev/null 2>&1 &
    app=$!
    until icon_window >/dev/null; do sleep 0.005; done
    times+=($(( $(now_ms) - start )))
    echo "  run $run: ${times[-1]}"
    if [ "$run" -lt 5 ]; then kill -TERM "$app"; wait "$app" || true; fi
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "  median: ${sorted[2]} ms (includes about 5 ms of polling with xdotool)"

sleep 3
# Resident pages, split into the process's own (anonymous), mapped files (libraries and the CJK
# font files, shared with every other program that uses them) and memory shared with the X server
# (window backing stores), and the proportional share.
memory() {
    local pss
    pss=$(awk '$1 == "Pss:" { print $2 }' "/proc/$app/smaps_rollup" 2>/dev/null || echo "?")
    echo "$(status_kb "$app" VmRSS) kB (anonymous $(status_kb "$app" RssAnon) kB, files $(status_kb "$app" RssFile) kB, X shared $(status_kb "$app" RssShmem) kB, proportional $pss kB)"
}
echo "resident memory idle after start: $(memory)"
read -r _ x y width height < <(icon_window)
xdotool mousemove $((x + width / 2)) $((y + height / 2)) click 1
sleep 2
echo "resident memory with the popover open: $(memory)"
xdotool key Escape
sleep 2
echo "resident memory after closing the popover: $(memory)"
echo "peak resident memory: $(status_kb "$app" VmHWM) kB"

ticks_per_second=$(getconf CLK_TCK)
cpu_before=$(cpu_ticks "$app")
switches_before=$(switches "$app")
if [ -n "${PULSEGROVE_BENCH_TRACE:-}" ]; then
    timeout "$idle_seconds" strace -tt -p "$app" -e trace=poll,ppoll,read,recvmsg -o "$PULSEGROVE_BENCH_TRACE" || true
else
    sleep "$idle_seconds"
fi
cpu_after=$(cpu_ticks "$app")
switches_after=$(switches "$app")
echo "idle ${idle_seconds} s with no surface open:"
echo "  CPU time: $(( (cpu_after - cpu_before) * 1000 / ticks_per_second )) ms"
echo "  main-thread wake-ups (context switches): $((switches_after - switches_before))"
echo "  threads at the end: $(ls /proc/"$app"/task | wc -l)"
kill -TERM "$app"
wait "$app" || true
