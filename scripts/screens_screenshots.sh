#!/bin/sh
# Takes the screenshots in docs/screens/: the finish page and the per-class result page of
# M21 of the demo competition, as a browser shows them through the program's web server.
# Needs a release build (or SKARVEL_BIN, a folder holding skarvel-cli) and headless Chromium
# (Debian chromium-headless-shell, or chromium).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${SKARVEL_BIN:+$SKARVEL_BIN/skarvel-cli}; cli=${cli:-$root/build/release/tools/skarvel-cli}
browser=$(command -v chromium-headless-shell || command -v chromium || true)
[ -n "$browser" ] || { echo "no headless Chromium: apt-get install chromium-headless-shell" >&2; exit 1; }
out=$root/docs/screens
work=$(mktemp -d)
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$out"
cd "$work"
"$cli" demo race.wdb > /dev/null
"$cli" display finish race.wdb --out lcd > /dev/null
"$cli" multipage race.wdb --out lcd > /dev/null
# Port 0: the server takes a free port and prints its address first.
"$cli" serve lcd --port 0 > serve.txt 2>&1 &
server=$!
url=""
for _ in $(seq 100); do
    url=$(grep -o 'http://[^ ]*/' serve.txt 2>/dev/null | head -1 || true)
    [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$url" ] || { echo "the web server did not start:" >&2; cat serve.txt >&2; exit 1; }
shot() {  # FILE WIDTH HEIGHT SCALE PATH
    "$browser" --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor="$4" \
        --window-size="$2,$3" --screenshot="$out/$1" "$url$5" > /dev/null 2>&1
}
shot display_finish_page.png 400 180 1.5 ""            # "/" is the display page
shot multi_screen_page.png 520 600 1.25 "%D0%9C21.htm"  # М21.htm, the page of class M21
echo "screenshots in $out"
