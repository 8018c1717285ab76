// Runs with QT_SCALE_FACTOR=2: the mixer button's glyph must be drawn from
// its vector source at the screen's density, not enlarged from one pixel per point.
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSvgRenderer>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString glyphPath = QStringLiteral(":/starlume/icons/mixer-sliders.svg");

// The glyph as the button shows it: white at 0.8 opacity over black, at `pixels`.
QImage expectedGlyph(QSize pixels, QSize renderedAt)
{
    QImage glyph(renderedAt, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    QSvgRenderer svg(glyphPath);
    QPainter painter(&glyph);
    svg.render(&painter);
    painter.end();
    if (renderedAt != pixels)
        glyph = glyph.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage shown(pixels, QImage::Format_RGB32);
    shown.fill(Qt::black);
    QPainter over(&shown);
    over.setOpacity(0.8);
    over.drawImage(0, 0, glyph);
    return shown;
}

// Mean absolute grey difference of `expected` placed at `at` in `frame`,
// over the best of the neighbouring pixel alignments.
double bestDifference(const QImage& frame, const QImage& expected, QPoint at)
{
    double best = 1e9;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            double sum = 0;
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x)
                    sum += std::abs(qGray(frame.pixel(at.x() + dx + x, at.y() + dy + y)) - qGray(expected.pixel(x, y)));
            best = std::min(best, sum / (expected.width() * expected.height()));
        }
    return best;
}

TEST(MixerButtonHiDpiTest, GlyphIsSharpAtScaleTwo)
{
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(80, 80);
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport \"qrc:/starlume/qml\"\nMixerButton { x: 16; y: 16 }", QUrl());
    std::unique_ptr<QObject> object(component.create());
    ASSERT_TRUE(object) << component.errorString().toStdString();
    auto* button = qobject_cast<QQuickItem*>(object.get());
    button->setParentItem(window.contentItem());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_DOUBLE_EQ(window.devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    QTest::qWait(100);

    const QImage frame = window.grabWindow();
    ASSERT_EQ(frame.size(), QSize(160, 160));
    EXPECT_EQ(button->width(), 34);
    EXPECT_EQ(button->height(), 34);

    // The glyph's 17 x 14 point box, centred in the 34-point button at (16, 16).
    const QSize glyphPixels(34, 28);
    const QPoint glyphAt(2 * 16 + 17, 2 * 16 + 20);
    const double sharp = bestDifference(frame, expectedGlyph(glyphPixels, glyphPixels), glyphAt);
    const double enlarged = bestDifference(frame, expectedGlyph(glyphPixels, glyphPixels / 2), glyphAt);
    EXPECT_LT(sharp, 8.0) << "the glyph does not look like its vector drawing";
    EXPECT_LT(sharp, enlarged * 0.5) << "the glyph looks enlarged: sharp " << sharp << ", enlarged " << enlarged;
}

} // namespace
