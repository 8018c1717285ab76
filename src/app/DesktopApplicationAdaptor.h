#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// org.freedesktop.Application on the running instance's object: what a second
// launch, or the desktop itself, calls to bring Starlume forward.
class DesktopApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit DesktopApplicationAdaptor(QObject* parent) : QDBusAbstractAdaptor(parent) {}

public slots:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData);

signals:
    void activated();
    // The command-line remote's actions (play, pause, preset, ...), unchecked.
    void actionActivated(const QString& name, const QVariantList& parameter);
};
