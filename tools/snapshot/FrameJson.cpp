#include "FrameJson.h"

#include <QJsonArray>

namespace {

QString accentName(ClockAccentKind kind)
{
    switch (kind) {
    case ClockAccentKind::minute: return QStringLiteral("minute");
    case ClockAccentKind::halfMinute: return QStringLiteral("halfMinute");
    case ClockAccentKind::hour: return QStringLiteral("hour");
    case ClockAccentKind::none: break;
    }
    return QStringLiteral("none");
}

template <typename Array>
QJsonArray numbers(const Array& values)
{
    QJsonArray out;
    for (double v : values)
        out.append(v);
    return out;
}

} // namespace

QJsonObject clockFrameJson(const ClockFrame& f, Point2d head)
{
    return QJsonObject{
        {QStringLiteral("t"), f.t},
        {QStringLiteral("hour12"), f.hour12},
        {QStringLiteral("minute"), f.minute},
        {QStringLiteral("secF"), f.secF},
        {QStringLiteral("minuteF"), f.minuteF},
        {QStringLiteral("width"), f.width},
        {QStringLiteral("height"), f.height},
        {QStringLiteral("cx"), f.cx},
        {QStringLiteral("cy"), f.cy},
        {QStringLiteral("R"), f.R},
        {QStringLiteral("S"), f.S},
        {QStringLiteral("accent"),
         QJsonObject{{QStringLiteral("kind"), accentName(f.accent.kind)}, {QStringLiteral("level"), f.accent.level}}},
        {QStringLiteral("slow"), numbers(f.slow)},
        {QStringLiteral("align"), numbers(f.align)},
        {QStringLiteral("A"), f.A},
        {QStringLiteral("charge"), f.charge},
        {QStringLiteral("travellerHead"), QJsonArray{head.x, head.y}},
    };
}
