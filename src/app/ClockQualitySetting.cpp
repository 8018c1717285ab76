#include "app/ClockQualitySetting.h"

#include <QSettings>

#include <cstdio>

ClockQualityMode requestedClockQuality()
{
    // The same per-user file as the presets.
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Starlume"),
                             QStringLiteral("Starlume"));
    const ClockQualityRequest request = resolveClockQualityMode(
        qEnvironmentVariable("STARLUME_CLOCK_QUALITY"), settings.value(QLatin1String(clockQualitySettingKey)).toString());
    if (!request.warning.isEmpty()) {
        std::fprintf(stderr, "Starlume: %s.\n", qPrintable(request.warning));
        std::fflush(stderr);
    }
    return request.mode;
}
