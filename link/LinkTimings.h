// Every wait and time limit of the link, in milliseconds. The program uses
// the defaults; tests shorten them so that failures show in a moment.
#pragma once

// The firmware update's waits. A USB step's reply is awaited in waits of
// usbWaitUnit, at most the step's number of them; a network step's reply
// within its receive time-out.
struct FirmwareTimings {
    int usbWaitUnit = 1000;
    int usbEnterWaits = 3;
    int usbEraseWaits = 40;
    int usbDspDataWaits = 10;
    int usbDspEndWaits = 20;
    int usbStartWaits = 8;
    int usbDataWaits = 2;
    int usbEndWaits = 2;
    int netEnterTimeout = 10000;
    int netEraseTimeout = 50000;
    int netDspDataTimeout = 10000;
    int netDspEndTimeout = 8000;
    int netStartTimeout = 8000;
    int netDataTimeout = 2000;
    int netEndTimeout = 4000;
    int usbBurst = 1000;            // the enter-boot burst over USB
    int netBurst = 4000;            // and over the network
    int burstPause = 5;             // USB: between two burst reports
    int bootRestart = 5000;         // USB: the device restarts as its boot loader after enter
    int idleSleep = 50;             // no step to send
    int unreachableSleep = 100;     // the network module does not answer
    int burstReconnectSleep = 2000; // a burst send failed: closed, then connected again
    int sendReconnectSleep = 1000;  // a step's send failed: the same
    int resetSleep = 2000;          // the module reset the connection
    int emptyReportPause = 10;      // an all-zero USB report
    int lateReplySleep = 10;        // before reporting a reply that came too late
    int retryInterval = 500;        // the update dialog's connection retry
};

// hidraw writes are synchronous: a report write has completed or failed (the
// kernel bounds it) when it returns, so no write is ever left pending and
// there is no separate limit for it.
struct LinkTimings {
    int workerWait = 5000;        // the worker's wait for one of its events
    int pacing = 5;               // pause after every normal exchange
    int linkDownSleep = 50;       // pause of a step whose link is down
    int usbRead = 5000;           // one report read
    int usbLongRead = 50000;      // one report read for a long-wait packet
    int replyLimit = 3000;        // a whole reply, counted from before the write
    int longReplyLimit = 50000;   // the same for a long-wait packet
    int lateReplySleep = 10;      // pause before reporting a reply that came too late
    int netSendTimeout = 1000;    // socket send time-out
    int netReceiveTimeout = 1000; // socket receive time-out
    int netConnectTimeout = 3000; // TCP connect
    int netReconnectSleep = 2000; // between closing and connecting again
    int netReplyLimit = 4000;     // a network reply (more than 3 whole seconds)
    int longCommandWait = 30000;  // network long command: the device works
    int longCommandTail = 4000;   // and then settles
    int probeInterval = 500;      // probe timer
    int pingTimeout = 3000;       // one ping
    int probePause = 1000;        // after every probe step
    int firmwareRestart = 5000;   // the device restarts after a firmware update
    int stopPoll = 5;             // StopIo's pause between looks at the worker
    int waitSlice = 20;           // longest blocking call between looks at the end event
    int closePause =
        500; // the connect button: the device's link stays open after the worker stopped
    int viewReconnectPause = 500; // the view's network reconnect: between closing and connecting
    FirmwareTimings firmware;
};
