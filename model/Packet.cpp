#include "model/Packet.h"

#include <algorithm>

int CPacket::HeldLength() const {
    return std::max(0, std::min(length_, static_cast<int>(frame_.size())));
}
