#include "controls/StaticControls.h"

#include "controls/ButtonRadio.h"

#include "tests/controls/SkinTestSupport.h"

#include <QPaintEvent>

#include <gtest/gtest.h>

namespace {

TEST(StaticTextTest, StylesChooseTheLayoutOfTheText) {
    struct Case {
        unsigned style;
        int flags;
        Qt::TextElideMode elide;
    };
    const int mnemonic = Qt::TextShowMnemonic;
    const Case cases[] = {
        {0, Qt::AlignLeft | Qt::AlignTop | mnemonic | Qt::TextWordWrap, Qt::ElideNone},
        {SS_RIGHT, Qt::AlignRight | Qt::AlignTop | mnemonic | Qt::TextWordWrap, Qt::ElideNone},
        {SS_CENTER | SS_NOPREFIX, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
         Qt::ElideNone},
        // One line, centred vertically, no wrapping.
        {SS_CENTERIMAGE, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | mnemonic,
         Qt::ElideNone},
        {SS_LEFTNOWORDWRAP, Qt::AlignLeft | Qt::AlignTop | mnemonic, Qt::ElideNone},
        {SS_ENDELLIPSIS, Qt::AlignLeft | Qt::AlignTop | mnemonic, Qt::ElideRight},
        {SS_PATHELLIPSIS, Qt::AlignLeft | Qt::AlignTop | mnemonic, Qt::ElideMiddle},
        {SS_WORDELLIPSIS, Qt::AlignLeft | Qt::AlignTop | mnemonic, Qt::ElideRight},
    };
    for (const Case& c : cases) {
        const StaticTextLayout layout = LayoutOfStaticStyle(c.style);
        EXPECT_EQ(layout.flags, c.flags) << std::hex << c.style;
        EXPECT_EQ(layout.elide, c.elide) << std::hex << c.style;
    }
}

// A parent that remembers what it had to repaint.
class PaintedParent : public QWidget {
public:
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* e) override { painted += e->region(); }
};

TEST(TransparentStaticTest, ANewTextRepaintsTheParentUnderIt) {
    PaintedParent parent;
    parent.resize(300, 100);
    auto* label = new CTransparentStatic(&parent, SS_CENTERIMAGE);
    label->setGeometry(20, 30, 120, 20);
    parent.show();
    QCoreApplication::processEvents();
    parent.painted = QRegion();
    label->setText(QStringLiteral("Enter the access code"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(parent.painted.contains(label->geometry()));

    label->SetTextColor(QColor(255, 0, 0));
    const QImage img = label->grab().toImage();
    EXPECT_FALSE(skintest::InkColumns(img, QColor(255, 0, 0)).empty());
}

TEST(HyperLinkTest, ThePointerLightsItAndAClickOpensItsAddress) {
    QStringList opened;
    const CHyperlink::Opener previous =
        CHyperlink::SetOpener([&](const QString& a) { opened << a; });
    QWidget parent;
    auto* link = new CHyperlink(&parent);
    link->resize(200, 20);
    link->setText(QStringLiteral("http://127.0.0.1/"));
    EXPECT_EQ(link->CurrentTextColor(), QColor(0, 0, 0));
    skintest::Move(link, {5, 5});
    EXPECT_EQ(link->CurrentTextColor(), QColor(255, 0, 0));
    skintest::Press(link, {5, 5});
    skintest::Release(link, {250, 5}); // released elsewhere: nothing opens
    EXPECT_TRUE(opened.isEmpty());
    skintest::Click(link, {5, 5});
    EXPECT_EQ(opened, QStringList{QStringLiteral("http://127.0.0.1/")});
    skintest::Leave(link);
    EXPECT_EQ(link->CurrentTextColor(), QColor(0, 0, 0));
    CHyperlink::SetOpener(previous);
}

TEST(ButtonRadioTest, TheTextSitsOnTheParentsPictureWithoutABox) {
    QWidget parent;
    parent.resize(200, 40);
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(20, 90, 160));
    parent.setPalette(pal);
    auto* radio = new CButtonRadio(QStringLiteral("Copy from left to right"), &parent);
    radio->setGeometry(0, 0, 200, 40);
    radio->SetTextColor(QColor(255, 255, 0));
    EXPECT_EQ(radio->GetTextColor(), QColor(255, 255, 0));
    const QImage img = parent.grab().toImage();
    EXPECT_EQ(img.pixelColor(198, 2), QColor(20, 90, 160));
    EXPECT_FALSE(skintest::InkColumns(img, QColor(255, 255, 0)).empty());
}

} // namespace
