// How the two threads share the model.
//
// The link worker calls CKTV_Data::GetNextPacket on every idle pass; the
// poller reads the channels' marks, steps filters and packs items into
// g_ParamImage, all under g_DeviceLock (it takes the lock itself). So every
// page that changes a channel object, a filter or the image holds the same
// lock for the whole change, together with the queuing of any packet the
// change produced, so that the worker never sees half a change:
//
//     WithDeviceLock([&]() REQUIRES(g_DeviceLock) {
//         out->SetGain(code);
//         command.AddPacket(out->WriteBasicItem(1));
//     });
//
// The lambda states REQUIRES(g_DeviceLock): the thread-safety analysis does
// not follow the lock into a lambda, so without it the body's reads and
// writes of guarded state would count as unlocked. With it the analysis
// checks the body as locked and checks that WithDeviceLock holds the lock
// when it calls the lambda.
//
// The lock is re-entrant, so a page may call model operations that take it
// themselves (LoadFromImage, WriteAllToImage, ClearChangeFlags). Nothing
// that waits for the device or for the other thread may run under it.
#pragma once

#include "model/Globals.h"

#include <utility>

template <class Fn> decltype(auto) WithDeviceLock(Fn&& fn) {
    DeviceLockGuard lock(g_DeviceLock);
    return std::forward<Fn>(fn)();
}
