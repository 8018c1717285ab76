#include "app/SLMResizableMixerHost.h"

#include "engine/SLMAudioEngine.h"

#include <QtQml/qqml.h>

#include <algorithm>

SLMResizableMixerHost::SLMResizableMixerHost(QQuickItem* parent) : QQuickItem(parent)
{
    // The console's margin reaches past its frame; only the window's edge cuts it.
    setClip(true);
}

double SLMResizableMixerHost::scaleFor(QSizeF area)
{
    return std::max(std::min(area.width() / designWidth, area.height() / designHeight), minimumScale);
}

void SLMResizableMixerHost::registerQmlType()
{
    qmlRegisterType<SLMResizableMixerHost>("Starlume.App", 1, 0, "SLMResizableMixerHost");
}

void SLMResizableMixerHost::setAudioEngine(SLMAudioEngine* engine)
{
    if (engine == m_audioEngine)
        return;
    m_audioEngine = engine;
    emit audioEngineChanged();
}

void SLMResizableMixerHost::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    const double scale = scaleFor(newGeometry.size());
    if (scale != m_contentScale) {
        m_contentScale = scale;
        emit contentScaleChanged();
    }
}
