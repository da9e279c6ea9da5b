#include "model/MessageBox.h"

#include <cstdio>
#include <utility>

namespace {
int DefaultHandler(const MessageBoxRequest& r) {
    std::fprintf(stderr, "lumara: %s\n", r.text.c_str());
    return r.type == MB_YESNO ? IDNO : IDOK;
}
MessageBoxHandler& Handler() {
    static MessageBoxHandler h = DefaultHandler;
    return h;
}
} // namespace

int ShowMessageBox(void*, const std::string& text, const std::string&, int type, int,
                   int milliseconds) {
    MessageBoxRequest r{text, type, milliseconds};
    return Handler() ? Handler()(r) : DefaultHandler(r);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
