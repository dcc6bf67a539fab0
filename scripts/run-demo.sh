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
# and the tour leaves the backup locked (its pages show backup error 255).
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

sh "$ROOT/scripts/install-deps.sh"

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j"$JOBS" --target cpdemo mmobile-sample-backup

SAMPLE="$BUILD_DIR/sample-backup"
if [ ! -f "$SAMPLE/Manifest.db" ]; then
    echo "Writing the sample backup into $SAMPLE"
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
