#!/bin/sh
# Plays the user guide's race-day walkthrough on the demo in a real window (Xvfb + openbox) and
# takes the screenshots in docs/race_day/: the status bar after the cards, the finish table
# and the live board. Needs a release build, Xvfb, openbox, xdotool, xwd and ImageMagick.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
# SKARVEL_BIN: a folder holding the three programs, in place of the release build.
b=$root/build/release
cli=${SKARVEL_BIN:+$SKARVEL_BIN/skarvel-cli}; cli=${cli:-$b/tools/skarvel-cli}
simulator=${SKARVEL_BIN:+$SKARVEL_BIN/skarvel-station-sim}; simulator=${simulator:-$b/tools/station_sim/skarvel-station-sim}
program=${SKARVEL_BIN:+$SKARVEL_BIN/skarvel}; program=${program:-$b/app/skarvel}
out=$root/docs/race_day
work=$(mktemp -d)
trap 'kill $sim $app $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$out"
cd "$work"
"$cli" demo race.wdb --cards cards.txt
"$simulator" --gap 1500 cards.txt > sim.txt &
sim=$!
for _ in $(seq 50); do grep -q /dev/ sim.txt 2>/dev/null && break; sleep 0.2; done
device=$(grep -o '/dev/[^ ]*' sim.txt | head -1)
# The program's settings live in this folder only: the station device and a window size.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/Skarvel"
printf '[Setup]\nStationDevice=%s\n' "$device" > "$XDG_CONFIG_HOME/Skarvel/Skarvel.conf"
Xvfb :57 -screen 0 1400x900x24 > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=:57
sleep 1
openbox > /dev/null 2>&1 &
wm=$!
sleep 1
"$program" race.wdb > app.txt 2>&1 &
app=$!
win=""
for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name 'race' 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.2
done
xdotool windowactivate --sync "$win"
shot() { xwd -root -silent | convert xwd:- "$out/$1"; }
xdotool key --window "$win" F3       # the finish table
sleep 0.5
xdotool key --window "$win" F8       # start reading
# Seven cards, 1.5 s apart: wait until the simulator has handed them all over.
sleep 14
shot finish_table_after_cards.png
convert "$out/finish_table_after_cards.png" -gravity South -crop 1400x60+0+0 +repage "$out/status_bar_after_cards.png"
xdotool key --window "$win" F8       # stop reading
xdotool key --window "$win" ctrl+Next   # from the finish table to the card readouts
sleep 0.3
xdotool key --window "$win" ctrl+Next   # ... and on to the live board
sleep 1.5
shot live_board_after_cards.png
echo "screenshots in $out"
