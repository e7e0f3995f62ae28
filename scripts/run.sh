#!/usr/bin/env bash
# Installs what is missing, builds Pulse Grove (Release), installs it for the current user and
# starts it, detached from this terminal. Run it from a desktop session.
#   PULSEGROVE_BUILD_DIR            build folder (default: build-release)
#   PULSEGROVE_WARNINGS_AS_ERRORS   ON in the project's own checks; a user's build never fails on
#                                   a warning
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "error: no graphical display (DISPLAY and WAYLAND_DISPLAY are empty): run this inside a desktop session" >&2
    exit 1
fi

build_dir=${PULSEGROVE_BUILD_DIR:-build-release}
scripts/install-dependencies.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPULSEGROVE_BUILD_TESTS=OFF -DPULSEGROVE_BUILD_BENCHMARKS=OFF \
    -DPULSEGROVE_WARNINGS_AS_ERRORS="${PULSEGROVE_WARNINGS_AS_ERRORS:-OFF}" >/dev/null
cmake --build "$build_dir" --parallel
executable=$(scripts/install.sh "$build_dir")

case "${XDG_CURRENT_DESKTOP:-}" in
    *GNOME*)
        if ! gnome-extensions list --enabled 2>/dev/null | grep -q appindicator; then
            echo "note: GNOME shows tray items only with the AppIndicator extension" \
                "(sudo apt install gnome-shell-extension-appindicator, then enable it and log in again)."
        fi
        ;;
esac

# The log is the user's alone; the application keeps its own files private the same way.
state_home=${XDG_STATE_HOME:-}
case "$state_home" in
    /*) ;;
    *) state_home="$HOME/.local/state" ;;
esac
log_dir="$state_home/Pulsegrove"
log="$log_dir/pulsegrove.log"
(umask 077 && mkdir -p "$log_dir" && : >>"$log")
chmod 0700 "$log_dir"
chmod 0600 "$log"

# A session of its own: closing this terminal sends it no hang-up.
setsid "$executable" </dev/null >>"$log" 2>&1 &
pid=$!
# A copy that already runs in this session takes the start over (it opens its settings window)
# and the new one leaves at once with status 0.
for _ in $(seq 15); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if ! kill -0 "$pid" 2>/dev/null; then
    if wait "$pid"; then
        echo "Pulse Grove is already running; its settings window opens now."
        echo "To start the version just installed, choose \"退出 Pulse Grove\" in its tray menu and run this command again."
        exit 0
    fi
    echo "error: Pulse Grove stopped right after it started; the end of its output ($log):" >&2
    tail -n 20 "$log" >&2
    exit 1
fi
echo "Pulse Grove is running (process $pid): $executable"
echo "Its messages: journalctl --user -t io.velorn.Pulsegrove (its standard output and errors: $log)"
