#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running Pulse Grove need, skipping
# those already present. Runs apt-get as root, or through sudo for an ordinary user.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    nlohmann-json3-dev libhowardhinnant-date-dev libcctz-dev tzdata
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-noto-cjk fonts-noto-cjk-extra fonts-dejavu-extra adwaita-icon-theme dbus-daemon libxcb1-dev
    desktop-file-utils libglib2.0-bin systemd xvfb trayer xdotool x11-utils procps util-linux python3
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "error: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
