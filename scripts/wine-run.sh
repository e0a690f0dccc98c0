#!/usr/bin/env bash
# Runs a Windows program under Wine for the cross-built tests: one Wine prefix per build
# folder (made on first use), no Wine diagnostics on standard error, no window.
set -euo pipefail
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
: "${WINEPREFIX:=${SKARVEL_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/skarvel-wine}}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
# One Wine server for a run of tests, kept a minute after its last program: with the default
# of a few seconds a test that starts just as the server of the one before is shutting down
# fails before it runs ("wine client error: recvmsg: Connection reset by peer"). While a server
# runs for the prefix this does nothing.
server=$(command -v wineserver || true)
[ -n "$server" ] || server=/usr/lib/wine/wineserver64
mkdir -p "$WINEPREFIX"
"$server" -p60 >/dev/null 2>&1 || true
exec "$wine" "$@"
