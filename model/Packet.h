// One command frame as the frame builders make it: the bytes the device will
// see and how many of them count. What the link does with it on the wire
// (chunking into reports, retries, progress, notifications) is the link's.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CPacket {
public:
    CPacket() = default;
    virtual ~CPacket() = default;
    CPacket(CPacket&&) = default;
    CPacket& operator=(CPacket&&) = default;

    void SetData(std::vector<uint8_t> bytes) { frame_ = std::move(bytes); }
    const uint8_t* GetData() const { return frame_.empty() ? nullptr : frame_.data(); }
    void SetLength(int n) { length_ = n; }
    int GetLength() const { return length_; }

protected:
    // Bytes actually held: never more than the frame buffer, whatever the
    // recorded length says.
    int HeldLength() const;
    const std::vector<uint8_t>& Frame() const { return frame_; }

private:
    std::vector<uint8_t> frame_;
    int length_ = 0;
};

using PacketPtr = std::unique_ptr<CPacket>;
