// Every wait and time limit of the link, in milliseconds. The program uses
// the defaults; tests shorten them so that failures show in a moment.
#pragma once

// hidraw writes are synchronous: a report write has completed or failed (the
// kernel bounds it) when it returns, so no write is ever left pending and
// there is no separate limit for it.
struct LinkTimings {
    int workerWait = 5000;       // the worker's wait for one of its events
    int pacing = 5;              // pause after every normal exchange
    int linkDownSleep = 50;      // pause of a step whose link is down
    int usbRead = 5000;          // one report read
    int usbLongRead = 50000;     // one report read for a long-wait packet
    int replyLimit = 3000;       // a whole reply, counted from before the write
    int longReplyLimit = 50000;  // the same for a long-wait packet
    int lateReplySleep = 10;     // pause before reporting a reply that came too late
    int netSendTimeout = 1000;   // socket send time-out
    int netReceiveTimeout = 1000; // socket receive time-out
    int netConnectTimeout = 3000; // TCP connect
    int netReconnectSleep = 2000; // between closing and connecting again
    int netReplyLimit = 4000;    // a network reply (more than 3 whole seconds)
    int longCommandWait = 30000; // network long command: the device works
    int longCommandTail = 4000;  // and then settles
    int probeInterval = 500;     // probe timer
    int pingTimeout = 3000;      // one ping
    int probePause = 1000;       // after every probe step
    int firmwareRestart = 5000;  // the device restarts after a firmware update
    int stopPoll = 5;            // StopIo's pause between looks at the worker
    int waitSlice = 20;          // longest blocking call between looks at the end event
    int closePause = 500;        // the view: between stopping the worker and closing its link
    int viewReconnectPause = 500; // the view's network reconnect: between closing and connecting
};
