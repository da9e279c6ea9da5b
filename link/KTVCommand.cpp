#include "KTVCommand.h"

#include "../model/Globals.h"

CKTVCommand::~CKTVCommand() {
    DeviceLockGuard lock(g_DeviceLock);
    queue_.clear();
}

void CKTVCommand::AddPacket(std::unique_ptr<CSendData> packet) {
    if (!packet) return;
    DeviceLockGuard lock(g_DeviceLock);
    queue_.push_back(std::move(packet));
}

int CKTVCommand::GetCount() const {
    DeviceLockGuard lock(g_DeviceLock);
    return static_cast<int>(queue_.size());
}

CSendData* CKTVCommand::GetHead() const {
    DeviceLockGuard lock(g_DeviceLock);
    return queue_.empty() ? nullptr : queue_.front().get();
}

void CKTVCommand::RemoveHead(int) {
    DeviceLockGuard lock(g_DeviceLock);
    if (queue_.empty()) return;
    queue_.pop_front();
    ClearCommStatusFlags();
}

void CKTVCommand::Clear() {
    DeviceLockGuard lock(g_DeviceLock);
    queue_.clear();
    ResetReceive();
}

void CKTVCommand::RewindHead() {
    DeviceLockGuard lock(g_DeviceLock);
    if (!queue_.empty()) queue_.front()->RewindChunks();
}

void CKTVCommand::MarkHeadResend() {
    DeviceLockGuard lock(g_DeviceLock);
    if (!queue_.empty()) queue_.front()->SetResend(1);
}
