#!/bin/sh
# Draws resources/brand.ico and renders docs/screenshots/*.png from a driver running on the emulated
# registers, each window at the size and with the fonts it opens with on an X server (Xvfb, from
# Debian's xvfb; Qt's offscreen platform where there is none, whose fonts may differ). Builds what it
# needs first, in the default preset's tree (or the build tree named by QOR_BUILD_DIR, configured
# already). check_sizes.sh, run by the tests, compares the pictures' sizes with the windows'.
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
export QOR_DEBUG_LOG=0
QT_QPA_PLATFORM=offscreen "$build/bin/qor-render-desktop" --icon "$root/resources/brand.ico"
if command -v xvfb-run >/dev/null 2>&1; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/qor-render-desktop" --screenshots "$root/docs/screenshots"
else
  echo "render.sh: no xvfb-run (Debian's xvfb): rendering offscreen, whose fonts may differ" >&2
  QT_QPA_PLATFORM=offscreen "$build/bin/qor-render-desktop" --screenshots "$root/docs/screenshots"
fi
