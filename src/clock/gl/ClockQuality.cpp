#include "clock/gl/ClockQuality.h"

#include <QByteArray>

std::optional<ClockQualityMode> parseClockQualityMode(QStringView text)
{
    const QStringView name = text.trimmed();
    for (const ClockQualityMode mode : {ClockQualityMode::automatic, ClockQualityMode::full, ClockQualityMode::reduced})
        if (name.compare(clockQualityModeName(mode), Qt::CaseInsensitive) == 0)
            return mode;
    return std::nullopt;
}

QString clockQualityModeName(ClockQualityMode mode)
{
    switch (mode) {
    case ClockQualityMode::full:
        return QStringLiteral("full");
    case ClockQualityMode::reduced:
        return QStringLiteral("reduced");
    case ClockQualityMode::automatic:
        break;
    }
    return QStringLiteral("auto");
}

ClockQualityRequest resolveClockQualityMode(const QString& environment, const QString& setting)
{
    const bool fromEnvironment = !environment.trimmed().isEmpty();
    const QString& value = fromEnvironment ? environment : setting;
    if (value.trimmed().isEmpty())
        return {};
    if (const auto mode = parseClockQualityMode(value))
        return {*mode, {}};
    return {ClockQualityMode::automatic,
            QStringLiteral("%1 \"%2\" is not full, reduced or auto; choosing the clock's quality automatically")
                .arg(fromEnvironment ? QStringLiteral("STARLUME_CLOCK_QUALITY") : QStringLiteral("the clock quality setting"),
                     value)};
}

bool isSoftwareRasteriser(QByteArrayView glRenderer)
{
    const QByteArray name = glRenderer.toByteArray().toLower();
    for (const char* software : {"llvmpipe", "softpipe", "swiftshader"})
        if (name.contains(software))
            return true;
    return false;
}

ClockRendering chooseClockRendering(ClockQualityMode mode, bool softwareRasteriser)
{
    switch (mode) {
    case ClockQualityMode::full:
        return fullClockRendering;
    case ClockQualityMode::reduced:
        return reducedClockRendering;
    case ClockQualityMode::automatic:
        break;
    }
    return softwareRasteriser ? reducedClockRendering : fullClockRendering;
}
