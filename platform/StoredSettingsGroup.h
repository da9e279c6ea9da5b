// The link engine's settings group (ISettingsGroup) kept in the settings
// store: the view hands the link a StoredSettingsGroup of the "USB" group, so
// that the marks of the devices in use are shared with other running copies.
#pragma once

#include "link/SettingsGroup.h"
#include "platform/Settings.h"

#include <string>
#include <utility>
#include <vector>

namespace platform {

class StoredSettingsGroup : public ISettingsGroup {
public:
    StoredSettingsGroup(SettingsStore& store, std::string group)
        : store_(store), group_(std::move(group)) {}

    std::optional<std::string> Value(const std::string& key) override {
        return store_.Read(group_, key);
    }
    void SetValue(const std::string& key, const std::string& value) override {
        store_.Write(group_, key, value);
    }
    void Remove(const std::string& key) override { store_.Remove(group_, key); }
    void Clear() override { store_.RemoveGroup(group_); }
    std::vector<std::string> Keys() const { return store_.ValueNames(group_); }

private:
    SettingsStore& store_;
    const std::string group_;
};

} // namespace platform
