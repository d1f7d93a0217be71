#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, and translates a sample ticket with qor-ticket.
set -euo pipefail
cd "$(dirname "$0")"
source tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
build/default/bin/qor-ticket translate resources/samples/sale.txt
