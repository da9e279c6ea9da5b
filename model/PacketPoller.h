// What the link worker asks for when its queue is empty: the next change of
// the model to send, or the status request when nothing is pending. Called
// under g_DeviceLock.
#pragma once

#include "model/Packet.h"

class IPacketPoller {
public:
    virtual ~IPacketPoller() = default;
    virtual PacketPtr GetNextPacket() = 0;
};
