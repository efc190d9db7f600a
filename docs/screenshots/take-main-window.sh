#!/bin/sh
# Takes docs/screenshots/main-window.png (1280x800 screen) and main-window-2x.png (a screen of
# twice the size at scale factor 2) of the program on a fresh sample catalogue, under Xvfb.
#   sh docs/screenshots/take-main-window.sh [BUILD_DIR]
set -e
BIN=${1:-build}/bin
OUT=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$BIN/rkdb" create "$WORK/data" --sample >/dev/null
shot() { # shot FILE GEOMETRY [ENV=VALUE]
    printf '[Startup]\nStartTut=0\n[Settings]\nStartTab=ViewAll\n' >"$WORK/settings.ini"
    rm -f "$WORK/data/Reelkeeper.lock"
    XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/share" \
        xvfb-run -a -s "-screen 0 ${2}x24" sh -c \
        "env $3 '$BIN/reelkeeper' --data '$WORK/data' --settings '$WORK/settings.ini' & \
         sleep 5; import -window root '$WORK/screen.png'; kill \$!"
    /usr/bin/convert "$WORK/screen.png" -trim +repage "$OUT/$1"
}
shot main-window.png 1280x800
shot main-window-2x.png 2560x1600 QT_SCALE_FACTOR=2
