#!/usr/bin/env bash
# Runs a Windows program under Wine for the cross-built tests: one Wine prefix per build
# folder (made on first use), no Wine diagnostics on standard error, no window.
set -euo pipefail
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
: "${WINEPREFIX:=${SKARVEL_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/skarvel-wine}}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
exec "$wine" "$@"
