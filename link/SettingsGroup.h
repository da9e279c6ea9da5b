// One group of string settings (the "USB" group of device paths in use).
// The Qt settings layer stores it with the program's other settings; the
// engine and its tests use the in-memory one. Keys are device paths and may
// contain '/': a store must keep them as they are.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class ISettingsGroup {
public:
    virtual ~ISettingsGroup() = default;
    virtual std::optional<std::string> Value(const std::string& key) = 0;
    virtual void SetValue(const std::string& key, const std::string& value) = 0;
    virtual void Remove(const std::string& key) = 0;
    // Drops every value: the group is recreated empty.
    virtual void Clear() = 0;
};

class CMemorySettingsGroup : public ISettingsGroup {
public:
    std::optional<std::string> Value(const std::string& key) override;
    void SetValue(const std::string& key, const std::string& value) override;
    void Remove(const std::string& key) override;
    void Clear() override;
    std::vector<std::string> Keys() const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string> values_;
};

// The mark a running copy of the program leaves on a device it holds:
// "PID:START" (process id and its start time), so that a mark left by a copy
// that died can be told from one whose owner still runs, even when the
// process id has been given to another program since.
std::string OwnProcessMark();
// False for a mark whose owner no longer runs, and for one that names no
// process at all.
bool IsProcessMarkAlive(const std::string& mark);
