#!/usr/bin/env bash
# Installs what is missing, builds Pulse Grove (Release), installs it for the current user and
# starts it in the background. Run it from a desktop session.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "error: no graphical display (DISPLAY and WAYLAND_DISPLAY are empty): run this inside a desktop session" >&2
    exit 1
fi

scripts/install-dependencies.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPULSEGROVE_BUILD_TESTS=OFF -DPULSEGROVE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-release --parallel
executable=$(scripts/install.sh build-release)

case "${XDG_CURRENT_DESKTOP:-}" in
    *GNOME*)
        if ! gnome-extensions list --enabled 2>/dev/null | grep -q appindicator; then
            echo "note: GNOME shows tray items only with the AppIndicator extension" \
                "(sudo apt install gnome-shell-extension-appindicator, then enable it and log in again)."
        fi
        ;;
esac

# A copy already running is asked to open its settings window instead.
nohup "$executable" >/dev/null 2>&1 &
echo "Pulse Grove is running: $executable"
