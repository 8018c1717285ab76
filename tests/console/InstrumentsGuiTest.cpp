#include "ConsoleQuickFixture.h"

#include <QAccessible>
#include <QTest>

namespace {

// A 0 ... 0.4 fader bound two ways to `level`, the way the board binds models.
QByteArray faderScene(double level)
{
    return R"(
import QtQuick
import Starlume.Console
Item {
    width: 120; height: 320
    property real level: )" + QByteArray::number(level, 'g', 17) + R"(
    property int writes: 0
    VerticalFader {
        objectName: "fader"
        x: 30; y: 40; width: 58; height: 235
        range: [0, 0.4]
        defaultValue: 0.2
        value: parent.level
        onMoved: v => { parent.level = v; parent.writes += 1 }
    }
}
)";
}

double level(QQuickItem* root) { return root->property("level").toDouble(); }
double capCentreY(QQuickItem* cap) { return cap->y() + cap->height() / 2; }

} // namespace

using ConsoleFader = ConsoleQuickFixture;
using ConsoleInstruments = ConsoleQuickFixture;

TEST_F(ConsoleFader, PressAndDragPositionAbsolutelyWithinTheRange)
{
    QQuickItem* root = show(faderScene(0.2));
    ASSERT_TRUE(root);
    QQuickItem* fader = item("fader");
    QQuickItem* cap = item("cap");
    EXPECT_DOUBLE_EQ(cap->width(), 0.66 * 58);

    QTest::mouseClick(window(), Qt::LeftButton, {}, at(fader, {29, 47}));
    EXPECT_DOUBLE_EQ(level(root), 0.32);
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(fader, {10, 0}));
    EXPECT_DOUBLE_EQ(level(root), 0.4);

    QTest::mousePress(window(), Qt::LeftButton, {}, at(fader, {29, 200}));
    EXPECT_TRUE(fader->property("isDragging").toBool());
    EXPECT_DOUBLE_EQ(cap->scale(), 1.025);
    QTest::mouseMove(window(), at(fader, {29, 94}));
    EXPECT_DOUBLE_EQ(level(root), 0.4 * (1 - 94.0 / 235.0));
    EXPECT_DOUBLE_EQ(capCentreY(cap), 94.0);
    // Beyond the ends the value stops at the range's bounds.
    QTest::mouseMove(window(), at(fader, {29, -25}));
    EXPECT_DOUBLE_EQ(level(root), 0.4);
    QTest::mouseMove(window(), at(fader, {29, 270}));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, at(fader, {29, 270}));
    EXPECT_DOUBLE_EQ(level(root), 0.0);
    EXPECT_FALSE(fader->property("isDragging").toBool());
    EXPECT_DOUBLE_EQ(cap->scale(), 1.0);
}

TEST_F(ConsoleFader, DoubleClickReturnsExactlyToTheDefault)
{
    QQuickItem* root = show(faderScene(0.37));
    ASSERT_TRUE(root);
    QTest::mouseDClick(window(), Qt::LeftButton, {}, at(item("fader"), {29, 12}));
    EXPECT_EQ(level(root), 0.2);
    EXPECT_FALSE(item("fader")->property("isDragging").toBool());
}

TEST_F(ConsoleFader, ValueOutsideTheRangeParksTheCapAndIsKept)
{
    QQuickItem* root = show(faderScene(0.9));
    ASSERT_TRUE(root);
    QQuickItem* cap = item("cap");
    EXPECT_DOUBLE_EQ(capCentreY(cap), 14.0);
    EXPECT_DOUBLE_EQ(cap->x() + cap->width() / 2, 29.0);
    root->setProperty("level", -0.3);
    EXPECT_DOUBLE_EQ(capCentreY(cap), 235.0 - 14.0);
    QTest::qWait(20);
    EXPECT_EQ(level(root), -0.3);
    EXPECT_EQ(root->property("writes").toInt(), 0);

    // After user input the owner's binding still moves the cap.
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(item("fader"), {29, 47}));
    root->setProperty("level", 0.2);
    EXPECT_DOUBLE_EQ(capCentreY(cap), 117.5);
}

TEST_F(ConsoleFader, AccessibleAsOneSteppableElement)
{
    QQuickItem* root = show(faderScene(0.399));
    ASSERT_TRUE(root);
    QAccessibleInterface* fader = QAccessible::queryAccessibleInterface(item("fader"));
    ASSERT_TRUE(fader && fader->actionInterface() && fader->valueInterface());
    EXPECT_EQ(fader->role(), QAccessible::Slider);
    EXPECT_EQ(fader->text(QAccessible::Name), "Audio fader");
    EXPECT_EQ(fader->childCount(), 0);
    // The formatted value travels as the description; the number, range and
    // step go through the value interface.
    EXPECT_EQ(fader->text(QAccessible::Description), "0.399");
    EXPECT_EQ(fader->valueInterface()->maximumValue().toDouble(), 0.4);
    EXPECT_DOUBLE_EQ(fader->valueInterface()->minimumStepSize().toDouble(), 0.004);

    fader->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(level(root), 0.4);
    EXPECT_EQ(fader->text(QAccessible::Description), "0.400");
    root->setProperty("level", 0.001);
    fader->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(level(root), 0.0);
}

TEST_F(ConsoleInstruments, MetersDrawBarsAndPeaksInsideTheirBodies)
{
    ASSERT_TRUE(show(R"(
import QtQuick
import Starlume.Console
Item {
    width: 140; height: 260
    VUMeter { objectName: "mono"; x: 10; y: 10; width: 42; height: 235; db: -30; peakDB: 0 }
    StereoVUMeter { objectName: "stereo"; x: 80; y: 10; width: 42; height: 235
                    leftDB: -60; rightDB: 0; leftPeakDB: -90; rightPeakDB: -6 }
}
)"));
    QQuickItem* mono = item("mono");
    QQuickItem* bar = items(mono, "bar").value(0);
    QQuickItem* peak = items(mono, "peak").value(0);
    ASSERT_TRUE(bar && peak);
    // Half the scale fills half the body, which starts after the 18 + 5 point scale.
    EXPECT_DOUBLE_EQ(bar->height(), 117.5);
    EXPECT_DOUBLE_EQ(bar->y() + bar->height(), 235.0);
    EXPECT_DOUBLE_EQ(bar->parentItem()->x(), 23.0);
    EXPECT_DOUBLE_EQ(peak->y() + peak->height() / 2, 1.0);
    mono->setProperty("db", -75.0);
    mono->setProperty("peakDB", -60.0);
    EXPECT_DOUBLE_EQ(bar->height(), 1.0);
    EXPECT_DOUBLE_EQ(peak->y() + peak->height() / 2, 234.0);

    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(mono);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->text(QAccessible::Name), "VU meter");
    EXPECT_EQ(access->text(QAccessible::Description), "-75.0 dB");
    EXPECT_EQ(access->childCount(), 0);

    // Stereo: two scaleless meters, left then right, with room for L and R below.
    const QList<QQuickItem*> bars = items(item("stereo"), "bar");
    ASSERT_EQ(bars.size(), 2);
    EXPECT_DOUBLE_EQ(bars[0]->height(), 1.0);
    EXPECT_DOUBLE_EQ(bars[1]->height(), bars[1]->parentItem()->height());
    EXPECT_EQ(bars[1]->parentItem()->x(), 0.0);
    EXPECT_LT(bars[1]->parentItem()->height(), 235.0 - 8);
}

TEST_F(ConsoleInstruments, AnalyzerWithoutBandsDrawsNothingAndRaisesNoError)
{
    ASSERT_TRUE(show(R"(
import QtQuick
import Starlume.Console
Item {
    width: 300; height: 100
    SpectrumAnalyzerView { objectName: "analyzer"; width: 300; height: 88; bands: []; frequencies: [] }
}
)"));
    EXPECT_DOUBLE_EQ(item("analyzer")->property("barWidth").toDouble(), 300.0);
    EXPECT_TRUE(items(item("analyzer"), "fill").isEmpty());
    EXPECT_FALSE(grab().isNull());
    EXPECT_TRUE(warnings().isEmpty()) << warnings().value(0).toString().toStdString();
}

TEST_F(ConsoleInstruments, AnalyzerBandsFillFromTheBottomUnderTheirLabels)
{
    ASSERT_TRUE(show(R"(
import QtQuick
import Starlume.Console
Item {
    width: 940; height: 100
    SpectrumAnalyzerView {
        objectName: "analyzer"
        width: 932; height: 88
        frequencies: [40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500,
                      630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000]
        bands: [0, -72, -36, -80, -18, -72, -72, -72, -72, -72, -72, -72,
                -72, -72, -72, -72, -72, -72, -72, -72, -72, -72, -72, -9]
    }
}
)"));
    QQuickItem* analyzer = item("analyzer");
    const QList<QQuickItem*> labels = items(analyzer, "QQuickText");
    ASSERT_EQ(labels.size(), 24);
    QStringList shown;
    for (QQuickItem* label : labels)
        shown << label->property("text").toString();
    shown.removeAll(" ");
    EXPECT_EQ(shown, (QStringList{"40", "100", "250", "630", "1k", "2k", "4k", "10k"}));

    // Equal columns, the last ending at the right edge.
    const double width = (932.0 - 23 * 4) / 24;
    EXPECT_DOUBLE_EQ(labels[0]->width(), width);
    EXPECT_NEAR(labels[23]->parentItem()->x() + width, 932.0, 1e-9);

    const QList<QQuickItem*> fills = items(analyzer, "fill");
    ASSERT_EQ(fills.size(), 24);
    const double slot = fills[0]->parentItem()->height();
    const double expected[] = {slot, 1.0, slot / 2, 1.0, slot * 0.75};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(fills[i]->height(), expected[i]) << "band " << i;
        EXPECT_DOUBLE_EQ(fills[i]->y() + fills[i]->height(), slot) << "band " << i;
    }

    analyzer->setWidth(60);
    EXPECT_DOUBLE_EQ(labels[0]->width(), 4.0);

    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(analyzer);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->text(QAccessible::Name), "Output spectrum analyzer");
    EXPECT_EQ(access->childCount(), 0);
}
