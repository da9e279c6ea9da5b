#include "link/SettingsGroup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <unistd.h>

std::optional<std::string> CMemorySettingsGroup::Value(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void CMemorySettingsGroup::SetValue(const std::string& key, const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_[key] = value;
}

void CMemorySettingsGroup::Remove(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.erase(key);
}

void CMemorySettingsGroup::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.clear();
}

std::vector<std::string> CMemorySettingsGroup::Keys() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> keys;
    for (const auto& kv : values_)
        keys.push_back(kv.first);
    return keys;
}

namespace {

// Field 22 of /proc/PID/stat: the process's start time in clock ticks
// since boot; empty when the process does not exist.
std::string ProcessStartTime(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!in || !std::getline(in, stat)) return {};
    // The command name (field 2) may hold spaces; count from its closing ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream rest(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22 && (rest >> field); ++i)
        if (i == 22) return field;
    return {};
}

} // namespace

std::string OwnProcessMark() {
    const long pid = static_cast<long>(getpid());
    return std::to_string(pid) + ":" + ProcessStartTime(pid);
}

bool IsProcessMarkAlive(const std::string& mark) {
    char* end = nullptr;
    const long pid = std::strtol(mark.c_str(), &end, 10);
    if (pid <= 0 || end == mark.c_str()) return false;
    if (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
    if (*end != ':' || end[1] == '\0') return true; // no start time recorded: the process runs
    const std::string start = ProcessStartTime(pid);
    return start.empty() || start == std::string(end + 1);
}
