#!/bin/sh
# make install's layout: the programs, the icon, the desktop file and the AppStream
# description where a freedesktop desktop looks for them, each of them valid.
#   install_test.sh BUILD_DIR
set -e
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
id=org.reelkeeper.Reelkeeper
for f in bin/reelkeeper bin/rkdb share/applications/$id.desktop \
         share/icons/hicolor/scalable/apps/$id.svg share/metainfo/$id.metainfo.xml; do
    [ -f "$prefix/$f" ] || { echo "missing: $f" >&2; exit 1; }
done
[ -x "$prefix/bin/reelkeeper" ] && [ -x "$prefix/bin/rkdb" ]
"$prefix/bin/rkdb" create "$prefix/catalogue" > /dev/null
# rkdb's report module lies in the library folder, not beside the programs, and rkdb finds
# it there from any current folder.
[ ! -e "$prefix/bin/rkdb-report.so" ] || { echo "rkdb-report.so is in bin" >&2; exit 1; }
ls "$prefix"/lib*/reelkeeper/rkdb-report.so > /dev/null
(cd / && "$prefix/bin/rkdb" report "$prefix/catalogue/VIDEO.DBF" --fields TITLE \
    --text "$prefix/report.txt" > /dev/null)
# So does its interchange module (import-from, export-to).
[ ! -e "$prefix/bin/rkdb-interchange.so" ] || { echo "rkdb-interchange.so is in bin" >&2; exit 1; }
(cd / && "$prefix/bin/rkdb" export-to "$prefix/catalogue" "$prefix/titles.csv" --format csv \
    > /dev/null)
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" > /dev/null
# The icon is an SVG image.
grep -q '<svg ' "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
echo "installed and valid"
