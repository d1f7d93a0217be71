#!/bin/sh
# Draws resources/brand.ico and renders docs/screenshots/*.png on Qt's offscreen platform, from a
# driver running on the emulated registers. Run from anywhere; builds what it needs first.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${QOR_BUILD_DIR:-$root/build/screenshots}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQOR_BUILD_TESTS=OFF -DQOR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target qor-render-desktop -j2
export QT_QPA_PLATFORM=offscreen QOR_DEBUG_LOG=0
"$build/bin/qor-render-desktop" --icon "$root/resources/brand.ico"
"$build/bin/qor-render-desktop" --screenshots "$root/docs/screenshots"
