#pragma once

#include <string>

// What the fake phone plays, parsed from --scenario: one name or several joined
// by commas ("locked,slow"). A plain value type; PhoneState holds the live state.
//   normal            trusted, unlocked, backs up at full speed
//   locked            passcode-locked: backups answer "Device locked" until unlocked
//   pairing-pending   not trusted yet: pairing waits on the trust dialog until accepted
//   pairing-refused   not trusted: every pairing is refused until accepted
//   unplug-at=PERCENT unplugged once, when PERCENT of the backup's bytes were sent
//   slow[=MS]         waits MS milliseconds (default 20) after every 64 KiB sent
//   disk-full         wants more free space than any computer has: backups end
//                     with "Insufficient free disk space" after the host answers
//   busy              another sync holds the phone (a backup or restore started
//                     in its settings): the sync lock stays taken until unlocked
//   in-place          uploads every file straight onto its final name in the
//                     host's backup, as phones do on an incremental backup,
//                     instead of into Snapshot/ and moving it
//   no-sizes          upload requests give 0 for the batch's byte count (hosts
//                     must not divide by it): progress comes only from the
//                     phone's percentage
class Scenario
{
public:
    enum Pairing { PAIRED, PAIRING_PENDING, PAIRING_REFUSED };

    // False with a reason for an unknown name or a bad number.
    static bool Parse(const std::string& text, Scenario* scenario, std::string* error);

    bool locked = false;
    Pairing pairing = PAIRED;
    int unplugAtPercent = -1;
    int slowMilliseconds = 0;
    bool diskFull = false;
    bool busy = false;
    bool inPlace = false;
    bool noSizes = false;
};
