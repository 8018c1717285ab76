#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QSizeF>

#include "console/ConsoleBoard.h"

class SLMAudioEngine;
Q_MOC_INCLUDE("engine/SLMAudioEngine.h")

// The mixer window's root: the console keeps its design size and is scaled
// as a whole, about its centre, to fit the window, and clipped to it.
class SLMResizableMixerHost : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(SLMAudioEngine* audioEngine READ audioEngine WRITE setAudioEngine NOTIFY audioEngineChanged)
    Q_PROPERTY(QSizeF designSize READ designSize CONSTANT)
    Q_PROPERTY(double contentScale READ contentScale NOTIFY contentScaleChanged)

public:
    // The console board's own size, which the window starts at.
    static constexpr double designWidth = ConsoleBoard::naturalWidth;
    static constexpr double designHeight = ConsoleBoard::naturalHeight;
    // Below this the console's text is unreadable; a smaller window clips it.
    static constexpr double minimumScale = 0.45;

    explicit SLMResizableMixerHost(QQuickItem* parent = nullptr);

    // The console's scale in an area of the given size.
    static double scaleFor(QSizeF area);
    // Registers the type in the QML module "Starlume.App" 1.0.
    static void registerQmlType();

    SLMAudioEngine* audioEngine() const { return m_audioEngine; }
    void setAudioEngine(SLMAudioEngine* engine);
    QSizeF designSize() const { return {designWidth, designHeight}; }
    double contentScale() const { return m_contentScale; }

signals:
    void audioEngineChanged();
    void contentScaleChanged();

protected:
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    QPointer<SLMAudioEngine> m_audioEngine;
    double m_contentScale = 1.0;
};
