#pragma once

#include "QtPrinters.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QQmlEngine>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <memory>

// Shows a piece of QML that uses the console module in a real window, so
// tests can click, drag and grab it.
class ConsoleQuickFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the scene (which must import Starlume.Console), shows it in a
    // window of its size and waits until it is exposed. Null on load errors,
    // which are reported as test failures.
    QQuickItem* show(const QByteArray& qml);
    // The same, with values for the scene's root properties (required ones too).
    QQuickItem* show(const QByteArray& qml, const QVariantMap& initialProperties);

    // The object named `name` below the scene's root (QObject tree).
    QQuickItem* item(const char* name) const;

    // Items below `parent` in the visual tree, in tree order, whose object
    // name is `key` or whose type is or derives from `key`: a C++ class
    // ("QQuickText", "DomedHead") or a QML file's type ("VUMeter").
    static QList<QQuickItem*> items(QQuickItem* parent, const char* key);

    // A point in `child`'s coordinates, in window coordinates.
    static QPoint at(const QQuickItem* child, QPointF local) { return child->mapToScene(local).toPoint(); }

    QImage grab() { return m_window->grabWindow(); }
    QQuickWindow* window() const { return m_window.get(); }
    const QList<QQmlError>& warnings() const { return m_warnings; }

private:
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_root;
    QList<QQmlError> m_warnings;
};
