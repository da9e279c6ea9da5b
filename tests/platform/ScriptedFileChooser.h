// The file dialogs answered from a script: each request is recorded and takes
// the next answer (a path, or a cancel); with no answer left it is cancelled.
// Installed for its lifetime.
#pragma once

#include "platform/FileChooser.h"

#include <deque>
#include <optional>
#include <vector>

class ScriptedFileChooser : public platform::IFileChooser {
public:
    ScriptedFileChooser() : previous_(platform::SetFileChooser(this)) {}
    ~ScriptedFileChooser() override { platform::SetFileChooser(previous_); }
    ScriptedFileChooser(const ScriptedFileChooser&) = delete;
    ScriptedFileChooser& operator=(const ScriptedFileChooser&) = delete;

    void Answer(const QString& path) { answers.push_back(path); }
    void Cancel() { answers.push_back(std::nullopt); }

    std::optional<QString> Choose(const platform::FileRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) return std::nullopt;
        const bool given = answers.front().has_value();
        const QString path = given ? *answers.front() : QString();
        answers.pop_front();
        if (!given) return std::nullopt;
        return path;
    }

    std::deque<std::optional<QString>> answers;
    std::vector<platform::FileRequest> requests;

private:
    platform::IFileChooser* previous_;
};
