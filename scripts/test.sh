#!/bin/sh
# Installs what the build needs (Debian 12), builds everything and runs the tests.
#
#   scripts/test.sh           Qt 5, plain build in build-test/
#   scripts/test.sh --qt6     Qt 6, plain build in build-qt6/
#   scripts/test.sh --asan    AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
#   scripts/test.sh --tsan    ThreadSanitizer in build-tsan/
#
# Extra arguments after the mode go to ctest (for example -R tst_taskitem).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
MODE=plain
case "${1:-}" in
--qt6) MODE=qt6; shift ;;
--asan) MODE=asan; shift ;;
--tsan) MODE=tsan; shift ;;
esac

"$ROOT/scripts/install-deps.sh"

case "$MODE" in
plain) BUILD="$ROOT/build-test"; OPTIONS="-DCP_QT_MAJOR=5" ;;
qt6) BUILD="$ROOT/build-qt6"; OPTIONS="-DCP_QT_MAJOR=6" ;;
asan) BUILD="$ROOT/build-asan"; OPTIONS="-DCP_QT_MAJOR=5 -DCP_SANITIZE=ON" ;;
tsan) BUILD="$ROOT/build-tsan"; OPTIONS="-DCP_QT_MAJOR=5 -DCP_SANITIZE_THREAD=ON" ;;
esac

JOBS=$(nproc 2>/dev/null || echo 2)
# shellcheck disable=SC2086
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo $OPTIONS
cmake --build "$BUILD" -j "$JOBS"
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" "$@"
