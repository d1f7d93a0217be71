#!/bin/sh
# Draws resources/brand.ico and renders docs/screenshots/*.png on Qt's offscreen platform, from a
# driver running on the emulated registers. Builds what it needs first, in the default preset's tree
# (or the build tree named by QOR_BUILD_DIR, configured already).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
if [ -n "${QOR_BUILD_DIR:-}" ]; then
  build=$QOR_BUILD_DIR
else
  build=$root/build/default
  cmake --preset default >/dev/null
fi
cmake --build "$build" --target qor-render-desktop -j2
export QT_QPA_PLATFORM=offscreen QOR_DEBUG_LOG=0
"$build/bin/qor-render-desktop" --icon "$root/resources/brand.ico"
"$build/bin/qor-render-desktop" --screenshots "$root/docs/screenshots"
