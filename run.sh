#!/usr/bin/env bash
# Builds the program and starts it in its own data folder
# ($DELTRANOTA_DATA, or data/ under the checkout).
set -euo pipefail
DN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$DN_ROOT/scripts/deps.sh"
dn_ensure_packages
dn_build "$DN_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

data=${DELTRANOTA_DATA:-$DN_ROOT/data}
mkdir -p "$data"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
    echo "Nessun display disponibile. Per avviare il programma su uno schermo virtuale:"
    echo "  xvfb-run -a -s '-screen 0 1280x1024x24' $0"
    exit 1
fi
cd "$data"
exec "$DN_ROOT/build/app/deltranota" "$@"
