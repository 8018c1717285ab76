#include "app/DesktopApplicationAdaptor.h"

void DesktopApplicationAdaptor::Activate(const QVariantMap&)
{
    emit activated();
}

// Starlume opens no files: that just brings it forward.
void DesktopApplicationAdaptor::Open(const QStringList&, const QVariantMap&)
{
    emit activated();
}

void DesktopApplicationAdaptor::ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap&)
{
    emit actionActivated(name, parameter);
}
