#ifndef CAPTURECODE_H
#define CAPTURECODE_H

// The result of capturing a backup from a phone. The values above 1 are the
// backup error codes the category pages show (a scan report's phase code), so
// a capture's failure can be passed to a page unchanged.
enum CaptureCode {
    CAPTURE_CANCELLED = -1, // stopped on request; nothing to show
    CAPTURE_OK = 0,
    CAPTURE_NO_ACCESS = 2, // the phone did not let this computer in (trust refused, timed out)
    CAPTURE_PROTOCOL = 3,  // the phone's backup service refused or answered nonsense
    CAPTURE_LOCKED = 4,    // the phone is passcode-locked: unlock it and retry
    CAPTURE_FAILED = 5,    // the phone went away or its service failed mid-transfer
    CAPTURE_NO_SPACE = 6,  // not enough room on this computer's disk
    CAPTURE_BUSY = 7,      // another sync holds the phone (its settings are open)
    CAPTURE_INTERNAL = 255 // anything else; the reason is in the log
};

#endif // CAPTURECODE_H
