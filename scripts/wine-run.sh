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
# The test discovery at build time runs in a prefix of its own with the default server: it
# reads the program's output to its end, and the programs a persistent server keeps (services,
# the desktop) would hold that output open as long as the server lives.
case " $* " in
*" --gtest_list_tests "*)
    export WINEPREFIX="$WINEPREFIX-list"
    mkdir -p "$(dirname "$WINEPREFIX")"
    ;;
*)
    server=$(command -v wineserver || true)
    [ -n "$server" ] || server=/usr/lib/wine/wineserver64
    mkdir -p "$WINEPREFIX"
    "$server" -p60 >/dev/null 2>&1 || true
    ;;
esac
exec "$wine" "$@"
