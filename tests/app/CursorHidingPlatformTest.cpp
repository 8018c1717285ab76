#include "app/CursorHidingPlatform.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

Qt::CursorShape overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

TEST(OverrideCursorVisibilityTest, BlankUntilTheMouseMovesInAWindow)
{
    QWindow window;
    window.resize(200, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    OverrideCursorVisibility cursor;
    cursor.hideUntilMoved();
    cursor.hideUntilMoved(); // a second hide must not stack a second override
    EXPECT_EQ(overrideShape(), Qt::BlankCursor);

    QTest::mouseMove(&window, QPoint(50, 60));
    EXPECT_FALSE(cursor.isHidden());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Showing must only ever remove its own override.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    cursor.show();
    EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    cursor.hideUntilMoved();
    cursor.show();
    EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
}

} // namespace
