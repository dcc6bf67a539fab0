#!/bin/sh
# Takes the README's screenshots of the demo host: a made-up home folder holds
# an encrypted backup where a command-line backup tool leaves it, a damaged
# one and a folder that is not a backup, beside the sample backup; the tour
# runs on it offscreen and the pictures are copied into doc/screenshots/.
#
#   scripts/make-readme-screenshots.sh      (after scripts/run-demo.sh has built the demo)
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-"$ROOT/build"}
WORK="$BUILD_DIR/readme-shots"
FAKE_HOME="$WORK/home"
BACKUPS="$FAKE_HOME/.local/share/MobileSync/Backup"

rm -rf "$WORK"
mkdir -p "$BACKUPS"
"$BUILD_DIR/engine/tools/mmobile-sample-backup" --password secret --kdf-rounds 10000 \
    "$BACKUPS/00008110-001E2D4C3A6B801E"
# Damaged: the backup stopped while writing its manifest.
cp -r "$BUILD_DIR/sample-backup" "$BACKUPS/00008030-000C59A21E38802E"
printf '<?xml version="1.0"?><plist><dict><key>IsEnc' \
    > "$BACKUPS/00008030-000C59A21E38802E/Manifest.plist"
mkdir -p "$BACKUPS/Old photos"
echo "copied by hand" > "$BACKUPS/Old photos/readme.txt"

# The tour opens the sample; the encrypted backup stays locked in the list,
# as the failure paths need a host that was given no password.
HOME="$FAKE_HOME" XDG_DATA_HOME="$FAKE_HOME/.local/share" QT_QPA_PLATFORM=offscreen \
    "$BUILD_DIR/demo/cpdemo" --tour "$WORK/tour" --log-dir "$WORK/log" \
    --settings "$WORK/settings.ini" "$BUILD_DIR/sample-backup"

SHOTS="$ROOT/doc/screenshots"
cp "$WORK/tour/backups.png" "$SHOTS/host-backups.png"
cp "$WORK/tour/overview.png" "$SHOTS/host-overview.png"
cp "$WORK/tour/host.png" "$SHOTS/host-after-recovery.png"
# The tour's test phone: its entry, the trust prompt, the backup line, the scan.
for page in "$WORK"/tour/[0-9][0-9]-*.png "$WORK"/tour/search-*.png "$WORK"/tour/phone-*.png \
    "$WORK"/tour/*-deleted.png; do
    cp "$page" "$SHOTS/"
done
for failure in recovery damaged locked; do
    cp "$WORK/tour/failure-$failure.png" "$SHOTS/host-failure-$failure.png"
done

# The contacts page once more, in German (the host follows the system language).
HOME="$FAKE_HOME" XDG_DATA_HOME="$FAKE_HOME/.local/share" QT_QPA_PLATFORM=offscreen \
LANGUAGE=de LANG=de_DE.UTF-8 \
    "$BUILD_DIR/demo/cpdemo" --tour "$WORK/tour-de" --log-dir "$WORK/log-de" \
    --settings "$WORK/settings.ini" "$BUILD_DIR/sample-backup"
cp "$WORK/tour-de/02-contacts.png" "$SHOTS/de-contacts.png"
cp "$WORK/tour-de/messages-deleted.png" "$SHOTS/de-messages-deleted.png"
for failure in recovery damaged locked; do
    cp "$WORK/tour-de/failure-$failure.png" "$SHOTS/de-host-failure-$failure.png"
done
for phone in pairing-prompt recover-progress; do
    cp "$WORK/tour-de/phone-$phone.png" "$SHOTS/de-phone-$phone.png"
done
echo "Screenshots copied into $SHOTS"
