#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test through ctest.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   the tests under AddressSanitizer and UBSan, in build-sanitize/
#   scripts/test.sh --core-only  only the Qt-free core and sampler, in build-core/
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
build_dir=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "$mode" in
    "") ;;
    --sanitize) build_dir=build-sanitize; options=(-DCMAKE_BUILD_TYPE=Debug -DPULSEGROVE_SANITIZE=ON -DPULSEGROVE_BUILD_BENCHMARKS=OFF) ;;
    --core-only) build_dir=build-core; options+=(-DPULSEGROVE_CORE_ONLY=ON -DPULSEGROVE_BUILD_BENCHMARKS=OFF) ;;
    *) echo "usage: $0 [--sanitize|--core-only]" >&2; exit 2 ;;
esac

scripts/install-dependencies.sh
# The project's own checks (CI) set PULSEGROVE_WARNINGS_AS_ERRORS=ON; a user's build never fails on
# a warning.
cmake -S . -B "$build_dir" -G Ninja "${options[@]}" \
    -DPULSEGROVE_WARNINGS_AS_ERRORS="${PULSEGROVE_WARNINGS_AS_ERRORS:-OFF}"
cmake --build "$build_dir" --parallel
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 300
