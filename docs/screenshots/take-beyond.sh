#!/bin/sh
# Takes the screenshots of the statistics window and of the quick filter over the main
# window on a fresh sample catalogue under Xvfb (statistics.png, quick-filter.png), and of the
# sample's pocket catalogue in headless Chromium at a phone's and a desktop's width
# (pocket-phone.png with a search typed, pocket-phone-detail.png, pocket-desktop.png). Needs
# Debian's chromium for the last three.
#   sh docs/screenshots/take-beyond.sh [BUILD_DIR]
set -e
BIN=${1:-build}/bin
OUT=$(cd "$(dirname "$0")" && pwd)
SRC=$(cd "$OUT/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$BIN/rkdb" create "$WORK/data" --sample >/dev/null
shot() { # shot FILE WINDOW [TEXT]
    printf '[Startup]\nStartTut=0\n[Settings]\nStartTab=ViewAll\n' >"$WORK/settings.ini"
    rm -f "$WORK/data/Reelkeeper.lock"
    XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/share" \
        xvfb-run -a -s "-screen 0 1280x800x24" sh -c \
        "'$BIN/gui_window_demo' --data '$WORK/data' --settings '$WORK/settings.ini' \
             --window $2 --text '$3' & \
         sleep 5; import -window root '$WORK/screen.png'; kill \$!"
    /usr/bin/convert "$WORK/screen.png" -trim +repage "$OUT/$1"
}
shot statistics.png stats
shot quick-filter.png filter "the g"
"$BIN/rkdb" pocket "$WORK/data/VIDEO.DBF" "$WORK/pocket.html" --title "Video Catalogue" 2>/dev/null
browser() {
    node --experimental-websocket "$SRC/bench/pocket_browser.js" "$WORK/pocket.html" "$@" >/dev/null
}
browser --width 390 --height 844 --type "star" --screenshot "$OUT/pocket-phone.png"
browser --width 390 --height 844 --open 3 --screenshot "$OUT/pocket-phone-detail.png"
browser --width 1280 --height 800 --type "the" --open 1 --screenshot "$OUT/pocket-desktop.png"
