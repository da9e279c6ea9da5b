// What the main view does for the output page besides its output operations
// (app/ViewOutputs.cpp): the focus hand-over to the level bar and the
// edited-output marks.
#include "app/LumaraApp.h"
#include "app/LumaraView.h"
#include "model/DataDefine.h"

void CLumaraView::FocusMasterVolumeField() {
    if (m_LevelBar) m_LevelBar->setFocus(Qt::TabFocusReason);
}

void CLumaraView::SetChannelModified(int output) {
    if (output >= 0 && output < kOutputCount) g_TheApp.g_ChannelModified[output] = 1;
}
