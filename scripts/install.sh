#!/usr/bin/env bash
# Installs a built Pulse Grove for the current user:
#   $XDG_DATA_HOME/Pulsegrove/Pulsegrove.app/   the relocatable application (bin/pulsegrove, share/)
#   $XDG_DATA_HOME/applications/io.velorn.Pulsegrove.desktop   its entry in the application list
#   $XDG_DATA_HOME/icons/hicolor/scalable/apps/io.velorn.Pulsegrove.svg
# ($XDG_DATA_HOME defaults to ~/.local/share.) A new version replaces the old folder in one rename,
# so a running copy keeps running and nothing is ever half installed. Installing never turns on
# the start at login; that stays the user's choice in the menu.
#   scripts/install.sh [BUILD_DIR]     default BUILD_DIR: build-release
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build-release}
if [ ! -x "$build_dir/Sources/Pulsegrove/pulsegrove" ]; then
    echo "error: no built application in $build_dir (build it first, or use scripts/run.sh)" >&2
    exit 1
fi

data_home=${XDG_DATA_HOME:-}
case "$data_home" in
    /*) ;;
    *) data_home="$HOME/.local/share" ;;
esac
app_parent="$data_home/Pulsegrove"
bundle="$app_parent/Pulsegrove.app"
staging="$app_parent/.Pulsegrove.app.new"
retired="$app_parent/.Pulsegrove.app.old"

# A desktop entry would need several levels of escaping for these; refuse them before touching
# anything rather than write an entry that starts something else.
case "$app_parent" in
    *[\\\"\`\$%]* | *$'\n'*)
        echo "error: the install folder's path contains a character a desktop entry cannot hold: $app_parent" >&2
        exit 1
        ;;
esac

mkdir -p "$app_parent"
rm -rf "$staging" "$retired"
trap 'rm -rf "$staging" "$retired"' EXIT
cmake --install "$build_dir" --prefix "$staging" >/dev/null
if [ -e "$bundle" ]; then
    mv "$bundle" "$retired"
fi
mv "$staging" "$bundle"

executable="$bundle/bin/pulsegrove"
icon_dir="$data_home/icons/hicolor/scalable/apps"
applications="$data_home/applications"
mkdir -p "$icon_dir" "$applications"

# Each file is written beside its place and renamed into it.
install -m 0644 "$bundle/share/packaging/io.velorn.Pulsegrove.svg" "$icon_dir/.io.velorn.Pulsegrove.svg.new"
mv "$icon_dir/.io.velorn.Pulsegrove.svg.new" "$icon_dir/io.velorn.Pulsegrove.svg"

entry="$applications/io.velorn.Pulsegrove.desktop"
entry_staging="$applications/.io.velorn.Pulsegrove.staging"
mkdir -p "$entry_staging"
trap 'rm -rf "$staging" "$retired" "$entry_staging"' EXIT
while IFS= read -r line; do
    printf '%s\n' "${line//@EXECUTABLE@/$executable}"
done < "$bundle/share/packaging/io.velorn.Pulsegrove.desktop.in" > "$entry_staging/io.velorn.Pulsegrove.desktop"
chmod 0644 "$entry_staging/io.velorn.Pulsegrove.desktop"
if command -v desktop-file-validate >/dev/null 2>&1 &&
    ! desktop-file-validate "$entry_staging/io.velorn.Pulsegrove.desktop"; then
    echo "error: the desktop entry did not validate; the application is installed at $bundle" >&2
    exit 1
fi
mv "$entry_staging/io.velorn.Pulsegrove.desktop" "$entry"

if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$applications" || true
fi
if command -v gtk-update-icon-cache >/dev/null 2>&1 && [ -f "$data_home/icons/hicolor/index.theme" ]; then
    gtk-update-icon-cache -q "$data_home/icons/hicolor" || true
fi
echo "$executable"
