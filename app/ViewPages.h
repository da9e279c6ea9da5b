// The windows of the view's page area, its strips and its level bar, each the
// program's window of its kind.
#pragma once

#include "pages/PageBase.h"

CViewPage* CreateOutputPage(QWidget* parent); // template 136
CViewPage* CreateLockPanel(QWidget* parent);  // template 1134
CViewPage* CreateMixPage(QWidget* parent);    // template 965
CLevelBarBase* CreateLevelBar(QWidget* parent);
CStripBase* CreateStrip(QWidget* parent);
