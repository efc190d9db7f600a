#!/bin/sh
# Takes the four detail pages of the main window at the window's least size, on "2001: A Space
# Odyssey" of a fresh sample catalogue, under Xvfb: detail-common.png, detail-details.png,
# detail-av.png, detail-stars.png (1280x800) and the same with -2x (a screen of twice the size
# at scale factor 2). Every field must show its whole text.
#   sh docs/screenshots/take-detail-pages.sh [BUILD_DIR]
set -e
BIN=${1:-build}/bin
OUT=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$BIN/rkdb" create "$WORK/data" --sample >/dev/null
shot() { # shot FILE GEOMETRY PAGE [ENV=VALUE]
    printf '[Startup]\nStartTut=0\n[Settings]\nStartTab=ViewAll\n' >"$WORK/settings.ini"
    rm -f "$WORK/data/Reelkeeper.lock"
    XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/share" \
        xvfb-run -a -s "-screen 0 ${2}x24" sh -c \
        "env $4 '$BIN/gui_window_demo' --data '$WORK/data' --settings '$WORK/settings.ini' \
             --window detail --page $3 --title '2001: A Space Odyssey' --minimum & \
         sleep 5; import -window root '$WORK/screen.png'; kill \$!"
    /usr/bin/convert "$WORK/screen.png" -trim +repage "$OUT/$1"
}
page=0
for name in common details av stars; do
    shot "detail-$name.png" 1280x800 $page
    shot "detail-$name-2x.png" 2560x1600 $page QT_SCALE_FACTOR=2
    page=$((page + 1))
done
