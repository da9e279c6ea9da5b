// The user interface's reads and writes of the output link table g_LinkKey
// (model/Globals.h), each under g_DeviceLock: the frame builders read the
// table on the link worker.
#pragma once

#include <array>

using LinkKeyTable = std::array<int, 12>;

int LinkKeyOf(int output);
// Outputs a and b share a link key: they are edited together.
bool SameLinkKey(int a, int b);
void SetLinkKey(int output, int key);
LinkKeyTable LinkKeys();
void SetLinkKeys(const LinkKeyTable& keys);
