#!/bin/sh
# Installs the Debian 12 packages that building and testing need, when missing.
# Runs apt-get only if something is missing, so it is quick on a ready machine.
set -eu

PACKAGES="cmake g++ make pkg-config qtbase5-dev qtbase5-dev-tools \
liblog4cxx-dev libbenchmark-dev clang-format-14 clang libclang-rt-14-dev \
kimageformat-plugins qttools5-dev qttools5-dev-tools \
qt6-base-dev qt6-5compat-dev qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools \
libsqlite3-dev libicu-dev zlib1g-dev libheif-dev libexif-dev libssl-dev libplist-dev \
libimobiledevice-dev libusbmuxd-dev libimobiledevice-utils \
python3 python3-cryptography abigail-tools \
qttranslations5-l10n qt6-translations-l10n \
xvfb xauth"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
