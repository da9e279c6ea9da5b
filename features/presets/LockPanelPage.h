// The lock panel (template 1134): shown in the page area in place of the
// output and mix pages while the data in hand is locked, a picture of a
// dimmed output page with a padlock and the words that the data is encrypted.
#pragma once

#include "pages/PageBase.h"

class CLockPanelPage : public CViewPage {
public:
    explicit CLockPanelPage(QWidget* parent);

    // 1135 in Chinese, 1136 in English.
    static int PictureId();

protected:
    void paintEvent(QPaintEvent* event) override;
};
