// What the firmware update's tests share: short waits.
#pragma once

#include "link/LinkTimings.h"

// Waits short enough that a fault shows in a fraction of a second, long
// enough that a busy machine never misses a reply that comes.
inline FirmwareTimings FastFirmwareTimings() {
    FirmwareTimings f;
    f.usbWaitUnit = 100;
    f.usbEnterWaits = f.usbEraseWaits = f.usbDspDataWaits = f.usbDspEndWaits = f.usbStartWaits =
        f.usbDataWaits = f.usbEndWaits = 10;
    f.netEnterTimeout = f.netEraseTimeout = f.netDspDataTimeout = f.netDspEndTimeout =
        f.netStartTimeout = f.netDataTimeout = f.netEndTimeout = 1000;
    f.usbBurst = 30;
    f.netBurst = 30;
    f.burstPause = 1;
    f.bootRestart = 20;
    f.idleSleep = 5;
    f.unreachableSleep = 5;
    f.burstReconnectSleep = 10;
    f.sendReconnectSleep = 10;
    f.resetSleep = 10;
    f.emptyReportPause = 1;
    f.lateReplySleep = 1;
    f.retryInterval = 20;
    return f;
}
