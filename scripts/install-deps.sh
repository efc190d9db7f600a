#!/bin/sh
# Installs the Debian packages that building, running and testing Reelkeeper need,
# when any of them is missing. Quiet and quick when everything is already there.
set -e

PACKAGES="qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-tools-dev qt6-tools-dev-tools
qt6-l10n-tools qt6-translations-l10n gstreamer1.0-plugins-base gstreamer1.0-plugins-good
gstreamer1.0-tools gstreamer1.0-libav
libsqlite3-dev sqlite3 libgtest-dev libgmock-dev libbenchmark-dev cmake make g++ xvfb xauth
imagemagick poppler-utils fonts-dejavu-core python3 python3-dbf libdbd-xbase-perl
clang-format nodejs desktop-file-utils appstream openbox
libxml2-dev libzip-dev pkg-config libxml2-utils tellico-data"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "install-deps: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: these Debian packages are missing and I am not root:$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
APT="$SUDO apt-get -o DPkg::Lock::Timeout=300 -q"
# A fresh machine may have no package lists yet; refresh them once if the install fails.
if ! $APT install -y $missing >/tmp/rk-install-deps.log 2>&1; then
    $APT update >>/tmp/rk-install-deps.log 2>&1 || true
    if ! $APT install -y $missing >>/tmp/rk-install-deps.log 2>&1; then
        cat /tmp/rk-install-deps.log >&2
        exit 1
    fi
fi
echo "install-deps: done"
