#include "ConsoleQuickFixture.h"

#include <QAccessible>
#include <QTest>

using ConsoleSurfaces = ConsoleQuickFixture;

TEST_F(ConsoleSurfaces, ControlsUnderPanelScrewsStillTakePresses)
{
    QQuickItem* root = show(R"(
import QtQuick
import Starlume.Console
Item {
    id: root
    width: 220; height: 300
    property real level: 0.5
    property int presses: 0
    HardwarePanelSurface {
        objectName: "panel"
        anchors.fill: parent
        horizontalPadding: 0; verticalPadding: 0
        MouseArea { anchors.fill: parent; onPressed: root.presses += 1 }
        VerticalFader { width: 58; height: 235; value: root.level; onMoved: v => root.level = v }
    }
}
)");
    ASSERT_TRUE(root);
    const QList<QQuickItem*> screws = items(item("panel"), "DomedHead");
    ASSERT_EQ(screws.size(), 4);

    // Top left lies over the fader, bottom right over the panel's mouse area.
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(screws[0], {4, 4}));
    EXPECT_DOUBLE_EQ(root->property("level").toDouble(), 1 - 7.0 / 235.0);
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(screws[3], {4, 4}));
    EXPECT_EQ(root->property("presses").toInt(), 1);
}

TEST_F(ConsoleSurfaces, SurfacesWrapTheirContentUnderScrewsAndRivets)
{
    ASSERT_TRUE(show(R"(
import QtQuick
import Starlume.Console
Item {
    width: 330; height: 200
    HardwarePanelSurface {
        objectName: "panel"
        horizontalPadding: 11; verticalPadding: 10
        Rectangle { objectName: "strip"; implicitWidth: 100; implicitHeight: 50 }
    }
    RivetedNameplateSurface {
        objectName: "plate"
        y: 100; horizontalPadding: 7; verticalPadding: 10
        Rectangle { objectName: "lines"; implicitWidth: 286; implicitHeight: 60 }
    }
}
)"));
    EXPECT_EQ(item("panel")->size(), QSizeF(100 + 2 * 11, 50 + 2 * 10));
    EXPECT_EQ(item("plate")->size(), QSizeF(286 + 2 * 7, 60 + 2 * 10));
    // Screws and rivets come after the content in drawing order.
    const QList<QQuickItem*> all = items(window()->contentItem(), "QQuickItem");
    EXPECT_GT(all.indexOf(items(item("panel"), "DomedHead").first()), all.indexOf(item("strip")));
    EXPECT_GT(all.indexOf(items(item("plate"), "DomedHead").first()), all.indexOf(item("lines")));
}

TEST_F(ConsoleSurfaces, BrandLineSpreadsItsLettersOverTheWidth)
{
    ASSERT_TRUE(show(R"(
import QtQuick
import Starlume.Console
Item {
    width: 300; height: 40
    HardwareBrandLine { objectName: "brand"; width: 286; text: "STARLUME" }
    HardwareBrandLine { objectName: "empty"; y: 20; width: 286; text: "" }
}
)"));
    QQuickItem* brand = item("brand");
    const QList<QQuickItem*> letters = items(brand, "QQuickText");
    ASSERT_EQ(letters.size(), 8);
    QString joined;
    for (QQuickItem* letter : letters)
        joined += letter->property("text").toString();
    EXPECT_EQ(joined, "STARLUME");
    EXPECT_DOUBLE_EQ(letters.first()->mapToItem(brand, QPointF(0, 0)).x(), 0.0);
    EXPECT_DOUBLE_EQ(letters.last()->mapToItem(brand, QPointF(letters.last()->width(), 0)).x(), 286.0);
    EXPECT_TRUE(items(item("empty"), "QQuickText").isEmpty());

    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(brand);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->text(QAccessible::Name), "STARLUME");
    EXPECT_EQ(access->childCount(), 0);
}
