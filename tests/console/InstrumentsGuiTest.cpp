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

// Where the cap sits is the mapping's; here the fader never writes its own
// value, so a value outside the range is kept and the owner's binding lives on.
TEST_F(ConsoleFader, ValueOutsideTheRangeParksTheCapAndIsKept)
{
    QQuickItem* root = show(faderScene(0.9));
    ASSERT_TRUE(root);
    QQuickItem* cap = item("cap");
    EXPECT_DOUBLE_EQ(capCentreY(cap), 14.0);
    root->setProperty("level", -0.3);
    EXPECT_DOUBLE_EQ(capCentreY(cap), 235.0 - 14.0);
    QTest::qWait(20);
    EXPECT_EQ(level(root), -0.3);
    EXPECT_EQ(root->property("writes").toInt(), 0);
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
    // The formatted value travels as the description; the range and step go
    // through the value interface.
    EXPECT_EQ(fader->text(QAccessible::Description), "0.399");
    EXPECT_EQ(fader->valueInterface()->maximumValue().toDouble(), 0.4);
    EXPECT_DOUBLE_EQ(fader->valueInterface()->minimumStepSize().toDouble(), 0.004);

    fader->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(level(root), 0.4);
    fader->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_DOUBLE_EQ(level(root), 0.396);
}

// Geometry is the mapping functions'; here, what a screen reader is told, and
// that an analyser without bands raises no error.
TEST_F(ConsoleInstruments, MeterAndAnalyzerAreOneAccessibleElementEach)
{
    ASSERT_TRUE(show(R"(
import QtQuick
import Starlume.Console
Item {
    width: 360; height: 260
    VUMeter { objectName: "mono"; width: 42; height: 235; db: -30; peakDB: 0 }
    SpectrumAnalyzerView { objectName: "analyzer"; x: 50; width: 300; height: 88; bands: [-20, -30]; frequencies: [40, 50] }
}
)"));
    item("mono")->setProperty("db", -75.0);
    QAccessibleInterface* meter = QAccessible::queryAccessibleInterface(item("mono"));
    QAccessibleInterface* analyzer = QAccessible::queryAccessibleInterface(item("analyzer"));
    ASSERT_TRUE(meter && analyzer);
    EXPECT_EQ(meter->text(QAccessible::Name), "VU meter");
    EXPECT_EQ(meter->text(QAccessible::Description), "-75.0 dB");
    EXPECT_EQ(meter->childCount(), 0);
    EXPECT_EQ(analyzer->text(QAccessible::Name), "Output spectrum analyzer");
    EXPECT_EQ(analyzer->childCount(), 0);

    item("analyzer")->setProperty("bands", QVariantList{});
    item("analyzer")->setProperty("frequencies", QVariantList{});
    EXPECT_TRUE(items(item("analyzer"), "fill").isEmpty());
    EXPECT_FALSE(grab().isNull());
    EXPECT_TRUE(warnings().isEmpty()) << warnings().value(0).toString().toStdString();
}
