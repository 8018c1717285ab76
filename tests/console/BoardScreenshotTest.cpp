// The whole board at its natural size with live meters and analyser, saved
// as a PNG to look at, and checked against the layout: where the sections
// sit and what colour key places are.
#include "PanelFixture.h"

#include <QColor>
#include <QImage>
#include <QSet>

namespace {

QRectF sceneRect(const QQuickItem* item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

double luminance(QRgb pixel)
{
    return 0.2126 * qRed(pixel) + 0.7152 * qGreen(pixel) + 0.0722 * qBlue(pixel);
}

} // namespace

using BoardScreenshot = PanelFixture;

TEST_F(BoardScreenshot, WholeBoardMatchesTheLayout)
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
            total += luminance(image.pixel(x, y));
        }
    EXPECT_GT(colours.size(), 2000);
    const double mean = total / ((image.height() / 3 + 1) * (image.width() / 3 + 1));
    EXPECT_GT(mean, 8.0);
    EXPECT_LT(mean, 70.0);

    // Sections: inset 14, 1198 wide, stacked top to bottom with spacing 9.
    const QRectF header = sceneRect(item("header"));
    EXPECT_EQ(header.topLeft(), QPointF(14, 14));
    EXPECT_EQ(header.width(), 1198);
    const QRectF profile = sceneRect(item("profileBar"));
    EXPECT_EQ(profile.top(), header.bottom() + 9);
    EXPECT_EQ(profile.width(), 1198);
    const QRectF master = sceneRect(item("masterStrip"));
    EXPECT_EQ(master.left(), 14);
    EXPECT_EQ(master.top(), profile.bottom() + 9 + 2 + 9);
    const QList<const char*> strips{"reactorStrip", "fieldStrip", "waveStrip", "anomalyStrip", "creatureBus"};
    QRectF previous = master;
    for (const char* name : strips) {
        const QRectF strip = sceneRect(item(name));
        EXPECT_EQ(strip.left(), previous.right() + 14) << name;
        EXPECT_EQ(strip.top(), master.top()) << name;
        previous = strip;
    }
    EXPECT_LE(previous.right(), 14 + 1198);
    // Every fader and meter of the strip row starts and ends on one line.
    const QRectF reactorFader = sceneRect(item("reactorFader"));
    for (const char* name : {"masterFader", "masterMeter", "anomalyMeter", "glowMasterFader", "glowMasterMeter",
                             "glowLevelFader", "glowTravelFader"})
        EXPECT_EQ(sceneRect(item(name)).top(), reactorFader.top()) << name;
    EXPECT_EQ(sceneRect(item("glowMasterMute")).top(), sceneRect(item("waveMute")).top());
    EXPECT_EQ(reactorFader.size(), QSizeF(58, 235));
    EXPECT_EQ(sceneRect(item("glowMasterFader")).size(), QSizeF(52, 235));
    EXPECT_EQ(sceneRect(item("glowTrailFader")).size(), QSizeF(62, 235));
    const QRectF spectrum = sceneRect(item("spectrumSection"));
    EXPECT_EQ(spectrum.width(), 1198);
    EXPECT_EQ(sceneRect(item("analyzer")).height(), 88);
    const QRectF footer = sceneRect(item("footer"));
    EXPECT_EQ(footer.top(), spectrum.bottom() + 9 + 2 + 9);
    EXPECT_LE(footer.bottom(), 760 - 14);

    const qreal dpr = window()->devicePixelRatio();
    const auto pixel = [&](QPointF p) { return QColor(image.pixel((p * dpr).toPoint())); };

    // The board's margin strip and its corner screw differ from the plate.
    const QColor plate = pixel({700, 7});
    EXPECT_LT(plate.valueF(), 0.16);
    EXPECT_NE(pixel({7, 7}), plate);
    // Readouts glow mint over dark glass.
    const QRectF reactorReadout = sceneRect(item("reactorReadout"));
    bool mintFound = false;
    for (qreal x = reactorReadout.left() + 4; x < reactorReadout.right() - 4 && !mintFound; x += 1) {
        const QColor c = pixel({x, reactorReadout.center().y()});
        mintFound = c.greenF() > 0.6 && c.greenF() > c.redF() + 0.2;
    }
    EXPECT_TRUE(mintFound);
    // The rendered sound lights the master meter: its bottom is green.
    const QRectF masterMeter = sceneRect(item("masterMeter"));
    const QColor meterBottom = pixel({masterMeter.left() + 9, masterMeter.bottom() - 20});
    EXPECT_GT(meterBottom.greenF(), 0.5);
    EXPECT_LT(meterBottom.redF(), 0.4);
    // The analyser shows the rendered sound: its lowest band is lit.
    const QRectF analyzer = sceneRect(item("analyzer"));
    EXPECT_GT(pixel({analyzer.left() + 8, analyzer.bottom() - 20}).greenF(), 0.5);
    // The lit preset key (custom, at start) is brighter than a dim one.
    const QColor litKey = pixel(sceneRect(item("preset_custom")).topLeft() + QPointF(3, 11));
    const QColor dimKey = pixel(sceneRect(item("preset_void")).topLeft() + QPointF(3, 11));
    EXPECT_GT(litKey.valueF(), dimKey.valueF());
}
