#!/bin/sh
# Builds the demo host and shows it with the backups it finds on this computer
# and the sample backup (generated on first use); a backup folder given as the
# first argument is added to its list and opened. Without a display, or with
# --tour, it runs the scripted tour on the offscreen platform instead and
# prints its summary.
#
#   scripts/run-demo.sh [--tour] [backup folder] [more options of cpdemo]
#
# An encrypted backup takes its password from --password PASSWORD (an option
# of cpdemo) or from CP_BACKUP_PASSWORD; without either the host asks for it,
# and the tour leaves the backup locked (the host says so and opens no page).
#
# BUILD_DIR (default: build) is the build folder; JOBS (default: 2) the
# number of parallel compile jobs.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-"$ROOT/build"}
JOBS=${JOBS:-2}

TOUR=no
if [ "${1:-}" = "--tour" ]; then
    TOUR=yes
    shift
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    TOUR=yes
fi

# A first run installs packages and builds for many minutes: each step says
# what it does, and the build shows one progress line (its full output goes
# to $BUILD_DIR/demo-build.log).
echo "[1/4] Checking the packages the build needs (installing what is missing)"
sh "$ROOT/scripts/install-deps.sh"

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    echo "[2/4] Configuring the build in $BUILD_DIR"
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
else
    echo "[2/4] Build folder $BUILD_DIR is configured"
fi
echo "[3/4] Building the demo host (the first build takes several minutes)"
mkdir -p "$BUILD_DIR"
LOG="$BUILD_DIR/demo-build.log"
STATUS="$BUILD_DIR/demo-build.status"
{ cmake --build "$BUILD_DIR" -j"$JOBS" --target cpdemo mmobile-sample-backup; echo $? >"$STATUS"; } 2>&1 |
    tee "$LOG" | awk '/^\[ *[0-9]+%\]/ && match($0, /[0-9]+%/) {
                          p = substr($0, RSTART, RLENGTH)
                          if (p != last) { printf "\r      %s built", p; last = p; fflush() } }
                      END { printf "\n" }'
if [ "$(cat "$STATUS")" != 0 ]; then
    echo "The build failed; its output is in $LOG" >&2
    exit 1
fi

SAMPLE="$BUILD_DIR/sample-backup"
if [ ! -f "$SAMPLE/Manifest.db" ]; then
    echo "[4/4] Writing the sample backup into $SAMPLE"
    "$BUILD_DIR/engine/tools/mmobile-sample-backup" "$SAMPLE"
fi

if [ "$TOUR" = no ]; then
    exec "$BUILD_DIR/demo/cpdemo" "$@"
fi

SHOTS="$BUILD_DIR/demo-tour"
rm -rf "$SHOTS"
echo "No display (or --tour): touring the pages offscreen; screenshots go to $SHOTS"
QT_QPA_PLATFORM=offscreen \
    exec "$BUILD_DIR/demo/cpdemo" --tour "$SHOTS" --log-dir "$SHOTS/log" \
    --settings "$SHOTS/settings.ini" "$@"
