#!/bin/sh
# check-package.sh [BUILD_DIR]: builds the Debian package, installs it with apt-get, checks the
# installed driver for a scratch user (check-installed.sh /usr) and removes the package again.
# Installs system packages, so it needs root (or sudo) and is not part of ./test.sh.
# BUILD_DIR defaults to build/package (a build without tests or benchmarks). Exit status 0 when the
# package built, installed, answered a ticket and was removed; non-zero on the first failure.
set -eu

SOURCE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(mkdir -p "${1:-$SOURCE/build/package}" && cd "${1:-$SOURCE/build/package}" && pwd)
PACKAGE=qordriver
SUDO=''
[ "$(id -u)" = 0 ] || SUDO=sudo
INSTALLED=0

say() { echo "check-package: $*"; }
fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}

remove_package() {
  if [ "$INSTALLED" = 1 ]; then
    say "removing $PACKAGE"
    $SUDO apt-get remove --purge -y "$PACKAGE" >/dev/null || echo "check-package: could not remove $PACKAGE" >&2
  fi
}
trap remove_package EXIT
trap 'exit 1' INT TERM

if dpkg-query -W -f '${Status}' "$PACKAGE" 2>/dev/null | grep -q "install ok installed"; then
  fail "$PACKAGE is installed already; remove it first (apt-get remove $PACKAGE)"
fi

say "building in $BUILD"
cmake -S "$SOURCE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQOR_BUILD_TESTS=OFF -DQOR_BUILD_BENCHMARKS=OFF >/dev/null || fail "configure"
cmake --build "$BUILD" -j2 >/dev/null || fail "build (run: cmake --build $BUILD)"
rm -f "$BUILD"/${PACKAGE}_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null) || fail "cpack -G DEB"
DEB=$(ls "$BUILD"/${PACKAGE}_*.deb 2>/dev/null | head -n 1)
[ -n "$DEB" ] || fail "cpack made no ${PACKAGE}_*.deb in $BUILD"
say "built $DEB"

DEPENDS=$(dpkg-deb -f "$DEB" Depends)
for runtime in libqt6core6 libqt6gui6 libqt6widgets6; do
  echo "$DEPENDS" | grep -q "$runtime" || fail "the package does not depend on $runtime (Depends: $DEPENDS)"
done
dpkg-deb -I "$DEB" postinst >/dev/null || fail "the package has no postinst"

INSTALLED=1
$SUDO apt-get install -y "$DEB" >"$BUILD/apt-install.log" 2>&1 ||
  fail "apt-get install $DEB (see $BUILD/apt-install.log)"
say "installed $PACKAGE $(dpkg-query -W -f '${Version}' "$PACKAGE")"
grep -q "systemctl --user enable --now qor-driver.service" "$BUILD/apt-install.log" ||
  fail "the postinst did not say how to enable the user service"

UNIT=/usr/lib/systemd/user/qor-driver.service
[ -f "$UNIT" ] || fail "no $UNIT"
grep -qx 'ExecStart="/usr/bin/QorDriver" --headless' "$UNIT" || fail "$UNIT does not start /usr/bin/QorDriver --headless"
grep -qx 'ExecStartPre="/usr/bin/qor-setup" --quiet' "$UNIT" || fail "$UNIT does not run qor-setup --quiet first"
if command -v systemd-analyze >/dev/null 2>&1; then
  systemd-analyze verify "$UNIT" || fail "systemd-analyze verify $UNIT"
fi

"$SOURCE/packaging/check-installed.sh" /usr || fail "the installed driver"

remove_package
INSTALLED=0
[ ! -e /usr/bin/QorDriver ] || fail "/usr/bin/QorDriver is still there after apt-get remove"
say "passed"
