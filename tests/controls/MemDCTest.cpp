#include "controls/MemDC.h"

#include <QBuffer>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace {

QImage Canvas() {
    QImage img(40, 30, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    return img;
}

TEST(MemDCTest, DrawingReachesTheTargetInOneCopyAtFlush) {
    QImage target = Canvas();
    QPainter p(&target);
    const QRect area(10, 5, 20, 20);
    CMemDC dc(&p, &area, false);
    EXPECT_TRUE(dc.IsMemDC());
    dc->fillRect(QRect(12, 7, 4, 4), Qt::red); // the target's coordinates
    EXPECT_EQ(target.pixelColor(13, 8), QColor(Qt::white));
    dc.Flush();
    EXPECT_EQ(target.pixelColor(13, 8), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(9, 8), QColor(Qt::white)); // outside the area
}

TEST(MemDCTest, TheDestructorCopiesWhatWasNotFlushed) {
    QImage target = Canvas();
    QPainter p(&target);
    {
        CMemDC dc(&p, nullptr, true);
        EXPECT_EQ(dc.Rect(), target.rect());
        dc->fillRect(QRect(0, 0, 5, 5), Qt::blue);
    }
    EXPECT_EQ(target.pixelColor(2, 2), QColor(Qt::blue));
}

TEST(MemDCTest, AFlushedBufferCopiesNothingMore) {
    QImage target = Canvas();
    QPainter p(&target);
    {
        const QRect area(0, 0, 10, 10);
        CMemDC dc(&p, &area, false);
        dc->fillRect(area, Qt::green);
        dc.Flush();
        p.fillRect(QRect(0, 0, 10, 10), Qt::black); // drawn after the flush
    }
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::black));
}

TEST(MemDCTest, TheInitialContentIsTheTargetOrItsBackground) {
    QImage target = Canvas();
    QPainter p(&target);
    p.fillRect(QRect(0, 0, 20, 30), Qt::yellow);
    const QRect area(15, 0, 10, 10); // across the yellow edge
    {
        CMemDC copy(&p, &area, true); // starts from what the target shows
    }
    EXPECT_EQ(target.pixelColor(16, 5), QColor(Qt::yellow));
    EXPECT_EQ(target.pixelColor(22, 5), QColor(Qt::white));
    p.setBackground(QColor(0, 0, 128));
    {
        CMemDC fill(&p, &area, false); // starts from the background colour
    }
    EXPECT_EQ(target.pixelColor(16, 5), QColor(0, 0, 128));
    EXPECT_EQ(target.pixelColor(22, 5), QColor(0, 0, 128));
}

TEST(MemDCTest, APrintingTargetIsDrawnDirectly) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    QPainter p(&writer);
    const QRect area(0, 0, 100, 100);
    CMemDC dc(&p, &area, false);
    EXPECT_FALSE(dc.IsMemDC());
    EXPECT_EQ(dc.painter(), &p);
    dc->drawLine(0, 0, 50, 50);
}

} // namespace
