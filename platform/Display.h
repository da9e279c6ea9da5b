// The screen layout assumes 96 dots per inch and no scaling: window contents
// are laid out in pixels and fonts are sized in pixels. Printing keeps the
// printer's real resolution (its painter is not affected by these settings).
#pragma once

namespace platform {

constexpr int kScreenDpi = 96;

// Call before the QApplication is constructed: turns high-DPI scaling off and
// fixes the logical DPI at 96 (a value the user set in the environment wins).
void PrepareDisplay();

} // namespace platform
