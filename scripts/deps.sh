#!/bin/sh
# Installs what building and testing Celdara needs on Debian 12, when it is missing.
set -eu

packages="cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
libudev-dev qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools libgl-dev fonts-dejavu-core
python3 universal-ctags"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "Missing packages:$missing - run this as root or install sudo." >&2
    exit 1
fi
$as_root apt-get update -q
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q --no-install-recommends $missing
