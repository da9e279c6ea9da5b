// A widget class of the program's kind: Q_OBJECT, signals, and its messages
// handled in WindowProc.
#include "platform/Message.h"

#include "tests/platform/GuiTestSupport.h"

#include <QDialog>

namespace {

class CSampleDlg : public platform::MessageTarget<QDialog> {
    Q_OBJECT
public:
    using MessageTarget<QDialog>::MessageTarget;
    LRESULT WindowProc(unsigned msg, WPARAM w, LPARAM) override {
        if (msg != WM_USER + 100) return 0;
        emit bandChanged(static_cast<int>(w));
        return 1;
    }
signals:
    void bandChanged(int band);
};

TEST(MessageWidgetTest, AQObjectDialogHandlesItsMessagesAndKeepsItsMetaObject) {
    CSampleDlg dlg;
    int band = -1;
    QObject::connect(&dlg, &CSampleDlg::bandChanged, [&band](int b) { band = b; });
    EXPECT_EQ(dlg.SendMessage(WM_USER + 100, 7), 1);
    EXPECT_EQ(band, 7);
    dlg.PostMessage(WM_USER + 100, 9);
    ASSERT_TRUE(PumpUntil([&] { return band == 9; }));
    EXPECT_STREQ(dlg.metaObject()->className(), "CSampleDlg");
    EXPECT_TRUE(dlg.inherits("QDialog"));
    QObject* plain = &dlg;
    EXPECT_EQ(qobject_cast<QDialog*>(plain), &dlg);
    EXPECT_EQ(dlg.SendMessage(WM_USER + 5), 0); // not in its map
}

} // namespace

#include "MessageWidgetTest.moc"
