#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and starts the driver on the register emulator in a
# ready-to-use base directory (./run/, or QOR_RUN_DIR). Arguments are passed to QorDriver
# (for example --headless). Ctrl+C or SIGTERM closes the driver cleanly.
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target QorDriver QorMonitor QorEmulator qor-regsvr TillJobIt TillDemo qor-ticket

bin="$PWD/build/default/bin"
base="${QOR_RUN_DIR:-$PWD/run}"
mkdir -p "$base"
# The base directory holds the settings and the catalogues; without a registered control module it
# is the driver's current directory. The catalogues are refreshed, the settings kept once written.
cp "$bin"/*Messages.txt "$base"/
[ -f "$base/QorDriver.ini" ] || printf '[TillJob]\r\nSetPriorityHigh=0\r\nOnErrorContinue=1\r\nOnErrorVoidTicket=0\r\nDisplayLastTotal=0\r\nDescriptionCheck=0\r\n[OCXManager]\r\nSingleClient=1\r\n' >"$base/QorDriver.ini"
[ -f "$base/QorEmulator.ini" ] || printf '[Registers]\r\n1=1\r\n2=2\r\n3=0\r\n4=3\r\n' >"$base/QorEmulator.ini"
# A store of its own, so a trial run never changes the machine's registrations.
export QOR_REGISTRY="${QOR_REGISTRY:-$base/registry}"
# The folder monitor and the fiscal control are modules found through the store. The emulator module
# is registered from a copy inside the base directory: the control's folder is the driver's base
# directory, so the driver, TillJobIt and TillDemo all find the settings and ticket folders there.
"$bin/qor-regsvr" "$bin/libQorMonitor.so" >/dev/null
cp "$bin/libQorEmulator.so" "$base/libQorEmulator.so"
"$bin/qor-regsvr" "$base/libQorEmulator.so" >/dev/null
[ -f "$bin/brand.ico" ] && cp "$bin/brand.ico" "$base/"
log="$base/QorDriver.log"

cat <<INFO
QorDriver on the register emulator
  base directory   $base   (QorDriver.ini, Qor.cfg, QorEmulator.ini, catalogues)
  ticket folders   $base/Tickets/<register>/   (registers of QorEmulator.ini [Registers])
  journals         $base/Journal/ECR<register>.txt
  log              $log
  store            $QOR_REGISTRY
INFO
cd "$base"
exec "$bin/QorDriver" "$@" 2> >(tee -i -a "$log" >&2)
