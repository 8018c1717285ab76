// The whole board at its natural size with live meters and analyser, saved
// as a PNG to look at, and checked for what a broken layout or a dead
// instrument would show: sections that overlap or leave the board, and dark
// meters over rendered sound.
#include "PanelFixture.h"

#include <QColor>
#include <QImage>
#include <QSet>

namespace {

QRectF sceneRect(const QQuickItem* item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

} // namespace

using BoardScreenshot = PanelFixture;

TEST_F(BoardScreenshot, SectionsTileTheBoardAndTheInstrumentsShowTheSound)
{
    renderAndDeliver(7.0);
    window()->requestUpdate();
    const QImage image = grab();
    ASSERT_EQ(image.size(), QSize(1226, 760) * window()->devicePixelRatio());
    EXPECT_TRUE(image.save(QStringLiteral(STARLUME_BOARD_PNG)));
    EXPECT_TRUE(warnings().isEmpty()) << warnings().value(0).toString().toStdString();

    // Not blank: a dark board with many distinct colours on it.
    QSet<QRgb> colours;
    double total = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) {
            colours.insert(image.pixel(x, y));
            total += qGray(image.pixel(x, y));
        }
    EXPECT_GT(colours.size(), 2000);
    const double mean = total / ((image.height() / 3 + 1) * (image.width() / 3 + 1));
    EXPECT_GT(mean, 8.0);
    EXPECT_LT(mean, 70.0);

    // Sections top to bottom and strips left to right, none overlapping the
    // next, all on the board.
    const QRectF board(0, 0, 1226, 760);
    const auto inOrder = [&](const QList<const char*>& names, bool across) {
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QRectF r = sceneRect(item(names[i]));
            EXPECT_TRUE(board.contains(r)) << names[i];
            if (i > 0) {
                const QRectF previous = sceneRect(item(names[i - 1]));
                EXPECT_GE(across ? r.left() : r.top(), across ? previous.right() : previous.bottom()) << names[i];
            }
        }
    };
    inOrder({"header", "profileBar", "masterStrip", "spectrumSection", "footer"}, false);
    inOrder({"masterStrip", "reactorStrip", "fieldStrip", "waveStrip", "anomalyStrip", "creatureBus"}, true);
    // Every fader and meter of the strip row starts on one line.
    const double row = sceneRect(item("reactorFader")).top();
    for (const char* name : {"masterFader", "masterMeter", "anomalyMeter", "glowMasterFader", "glowMasterMeter",
                             "glowLevelFader", "glowTravelFader"})
        EXPECT_EQ(sceneRect(item(name)).top(), row) << name;

    const qreal dpr = window()->devicePixelRatio();
    const auto pixel = [&](QPointF p) { return QColor(image.pixel((p * dpr).toPoint())); };
    // The rendered sound lights the master meter (green at its foot) and the
    // analyser's lowest band.
    const QRectF masterMeter = sceneRect(item("masterMeter"));
    const QColor meterFoot = pixel({masterMeter.left() + 9, masterMeter.bottom() - 20});
    EXPECT_GT(meterFoot.greenF(), 0.5);
    EXPECT_LT(meterFoot.redF(), 0.4);
    const QRectF analyzer = sceneRect(item("analyzer"));
    EXPECT_GT(pixel({analyzer.left() + 8, analyzer.bottom() - 20}).greenF(), 0.5);
    // The lit preset key (custom, at start) is brighter than a dim one.
    const QColor litKey = pixel(sceneRect(item("preset_custom")).topLeft() + QPointF(3, 11));
    const QColor dimKey = pixel(sceneRect(item("preset_void")).topLeft() + QPointF(3, 11));
    EXPECT_GT(litKey.valueF(), dimKey.valueF());
}
