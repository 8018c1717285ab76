#include "app/DesktopApplicationAdaptor.h"

void DesktopApplicationAdaptor::Activate(const QVariantMap&)
{
    emit activated();
}

// Starlume opens no files and has no actions: both just bring it forward.
void DesktopApplicationAdaptor::Open(const QStringList&, const QVariantMap&)
{
    emit activated();
}

void DesktopApplicationAdaptor::ActivateAction(const QString&, const QVariantList&, const QVariantMap&)
{
    emit activated();
}
