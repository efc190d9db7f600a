#!/bin/sh
# Takes the screenshots of the list editor, the preferences and the master editor over the main
# window on a fresh sample catalogue, under Xvfb: user-lists.png, preferences.png,
# preferences-toolbar.png, master-editor.png (1280x800) and master-editor-2x.png (a screen of
# twice the size at scale factor 2).
#   sh docs/screenshots/take-dialogs.sh [BUILD_DIR]
set -e
BIN=${1:-build}/bin
OUT=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$BIN/rkdb" create "$WORK/data" --sample >/dev/null
shot() { # shot FILE GEOMETRY WINDOW PAGE [ENV=VALUE]
    printf '[Startup]\nStartTut=0\n[Settings]\nStartTab=ViewAll\n' >"$WORK/settings.ini"
    rm -f "$WORK/data/Reelkeeper.lock"
    XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/share" \
        xvfb-run -a -s "-screen 0 ${2}x24" sh -c \
        "env $5 '$BIN/gui_window_demo' --data '$WORK/data' --settings '$WORK/settings.ini' \
             --window $3 --page $4 & \
         sleep 5; import -window root '$WORK/screen.png'; kill \$!"
    /usr/bin/convert "$WORK/screen.png" -trim +repage "$OUT/$1"
}
shot user-lists.png 1280x800 lists 0
shot preferences.png 1280x800 prefs 0
shot preferences-toolbar.png 1280x800 prefs 1
shot master-editor.png 1280x800 master 0
shot master-editor-2x.png 2560x1600 master 0 QT_SCALE_FACTOR=2
