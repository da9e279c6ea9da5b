// A mix tile (template 966): a small picture standing for one output, drawn
// selected while its output is the current one. The mix page holds twelve,
// built without a window of their own and never shown; the page and the view
// call their three hooks (language switch, before and after the current
// output changes), which leave a tile as it is.
#pragma once

#include "platform/Message.h"

#include <QPixmap>
#include <QWidget>

class CMixTile : public platform::MessageTarget<QWidget> {
public:
    // Ctrl+C and Ctrl+V, posted to the tile itself (no handler).
    static constexpr unsigned kCopyMessage = WM_USER + 204;
    static constexpr unsigned kPasteMessage = WM_USER + 205;

    explicit CMixTile(QWidget* parent = nullptr);

    void ApplyLanguage() {}
    void ChannelChanging() {}
    void ChannelChanged() {}

    void SetOutput(int output) { m_Output = output; }
    int Output() const { return m_Output; }
    void SetPictures(const QPixmap& unselected, const QPixmap& selected);
    int FocusFlag() const { return m_Focus; }
    void SetFocusFlag(int flag) { m_Focus = flag; }
    bool IsCurrent() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_Output = -1;
    QPixmap m_Unselected;
    QPixmap m_Selected;
    int m_Focus = 0;
};
