#include "app/MprisAdaptors.h"

#include "app/MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), m_service(service) {}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Starlume");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return m_service.identity().desktopEntry;
}

void MprisRootAdaptor::Raise()
{
    m_service.raise();
}

void MprisRootAdaptor::Quit()
{
    m_service.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service) : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_service.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_service.metadata();
}

double MprisPlayerAdaptor::volume() const
{
    return m_service.volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    m_service.setVolume(volume);
}

void MprisPlayerAdaptor::Play()
{
    m_service.play();
}

void MprisPlayerAdaptor::Pause()
{
    m_service.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_service.playPause();
}

// Nothing to rewind to: stopping an endless soundscape is pausing it.
void MprisPlayerAdaptor::Stop()
{
    m_service.pause();
}

void MprisPlayerAdaptor::Next()
{
    m_service.next();
}

void MprisPlayerAdaptor::Previous()
{
    m_service.previous();
}

void MprisPlayerAdaptor::Seek(qlonglong) {}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath&, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString&) {}
