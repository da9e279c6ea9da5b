// The program's message box, as the engine sees it. The UI installs the real
// skinned box; until then (and in engine tests) a default handler writes the
// text to standard error and answers as the default button would.
#pragma once

#include <functional>
#include <string>

constexpr int MB_OK = 0;
constexpr int MB_YESNO = 4;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// owner, caption and language are accepted and not used; type 0 OK, 4 Yes/No;
// milliseconds selects caption and closing (2000, 2001, -2 .. -5).
int ShowMessageBox(void* owner, const std::string& text, const std::string& caption, int type,
                   int language, int milliseconds);

struct MessageBoxRequest {
    std::string text;
    int type = MB_OK;
    int milliseconds = 0;
};
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Replaces the handler; returns the previous one. Not thread-safe: install it
// at start-up, before the link worker runs.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
