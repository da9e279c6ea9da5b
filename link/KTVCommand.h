// The command engine: the one send queue of the program (only its head is
// on the wire). Every queue operation takes g_DeviceLock itself.
#pragma once

#include "SendData.h"

#include <deque>
#include <memory>

class CKTVCommand {
public:
    CKTVCommand() = default;
    virtual ~CKTVCommand();
    CKTVCommand(const CKTVCommand&) = delete;
    CKTVCommand& operator=(const CKTVCommand&) = delete;

    // The queue owns the packet from now on; a null packet is ignored.
    void AddPacket(std::unique_ptr<CSendData> packet);
    int GetCount() const;
    // The head, or null. Valid until the head is removed or the queue cleared.
    CSendData* GetHead() const;
    void RemoveHead(int unused = 0);
    // Deletes every packet and resets the reply assembler.
    void Clear();
    void RewindHead();
    void MarkHeadResend();

    // Returns the reply assembler to hunting for a frame's sync bytes.
    virtual void ResetReceive() {}

private:
    std::deque<std::unique_ptr<CSendData>> queue_;
};
