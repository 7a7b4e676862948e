#!/usr/bin/env bash
# Renders every dialog template of resources/dialogs to a PNG on a virtual display.
#   scripts/render-dialogs.sh [BUILD_DIR] [OUT_DIR] [NAME...]
# BUILD_DIR defaults to build/, OUT_DIR to BUILD_DIR/dialogs. For each template it
# writes NAME.png (the dialog as it shows, caption drawn above) and NAME-ids.png
# (every control's rectangle and id marked), and bitmaps.png with every bitmap.
set -euo pipefail
DN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$DN_ROOT/build}
out=${2:-$build/dialogs}
shift $(( $# > 2 ? 2 : $# ))

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$DN_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target dn_render_dialogs
mkdir -p "$out"
if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s '-screen 0 1280x1024x24' "$build/toolkit/dn_render_dialogs" "$out" "$@"
else
    echo "xvfb-run non trovato: disegno sulla piattaforma offscreen."
    QT_QPA_PLATFORM=offscreen "$build/toolkit/dn_render_dialogs" "$out" "$@"
fi
echo "Immagini in $out"
