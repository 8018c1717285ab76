#include "ConsoleQuickFixture.h"

#include "support/EventLoop.h"

#include <QQmlComponent>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <functional>

Q_IMPORT_QML_PLUGIN(Starlume_ConsolePlugin)

void ConsoleQuickFixture::SetUp()
{
    m_engine = std::make_unique<QQmlEngine>();
    QObject::connect(m_engine.get(), &QQmlEngine::warnings, m_engine.get(),
                     [this](const QList<QQmlError>& list) { m_warnings.append(list); });
    m_window = std::make_unique<QQuickWindow>();
    m_window->setColor(QColor::fromRgbF(0.025f, 0.027f, 0.03f));
}

void ConsoleQuickFixture::TearDown()
{
    m_root.reset();
    m_window.reset();
    m_engine.reset();
}

QQuickItem* ConsoleQuickFixture::show(const QByteArray& qml)
{
    return show(qml, {});
}

QQuickItem* ConsoleQuickFixture::show(const QByteArray& qml, const QVariantMap& initialProperties)
{
    QQmlComponent component(m_engine.get());
    component.setData(qml, QUrl(QStringLiteral("qrc:/console-test/Scene.qml")));
    m_root.reset(qobject_cast<QQuickItem*>(component.createWithInitialProperties(initialProperties)));
    if (!m_root) {
        ADD_FAILURE() << "scene did not load: " << component.errorString().toStdString();
        return nullptr;
    }
    m_root->setParentItem(m_window->contentItem());
    m_window->resize(qMax(1, qRound(m_root->width())), qMax(1, qRound(m_root->height())));
    m_window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    slm::test::drainPostedEvents();
    return m_root.get();
}

QQuickItem* ConsoleQuickFixture::item(const char* name) const
{
    auto* found = m_root ? m_root->findChild<QQuickItem*>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        ADD_FAILURE() << "no item named " << name;
    return found;
}

QList<QQuickItem*> ConsoleQuickFixture::items(QQuickItem* parent, const char* key)
{
    const QByteArray wanted(key);
    const auto matches = [&](const QQuickItem* node) {
        if (node->objectName().toLatin1() == wanted)
            return true;
        for (const QMetaObject* mo = node->metaObject(); mo; mo = mo->superClass()) {
            // QML file types are named "<Type>_QMLTYPE_<n>".
            const QByteArray name(mo->className());
            if (name == wanted || name.startsWith(wanted + "_QML"))
                return true;
        }
        return false;
    };
    QList<QQuickItem*> found;
    const std::function<void(QQuickItem*)> visit = [&](QQuickItem* node) {
        for (QQuickItem* child : node->childItems()) {
            if (matches(child))
                found.append(child);
            visit(child);
        }
    };
    if (parent)
        visit(parent);
    return found;
}
