#include "console/InstrumentMapping.h"

#include "engine/SLMSleepTimer.h"

#include <QtCore/qnamespace.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace slm::console {

namespace {

// std::clamp with NaN mapped to the low end, so a broken input never
// produces a NaN geometry.
double clampOrLow(double x, double low, double high)
{
    if (std::isnan(x))
        return low;
    return std::clamp(x, low, high);
}

// Clamps into [low, high]; a span too small to hold both ends collapses to
// its middle.
double clampCentred(double x, double low, double high)
{
    if (high < low)
        return (low + high) / 2.0;
    return clampOrLow(x, low, high);
}

// C printf semantics (an exact half rounds to even), which QString::asprintf
// does not share.
QString cFormat(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return QString::fromLatin1(buffer);
}

} // namespace

double fillFraction(double x, double minimumDB, double maximumDB)
{
    const double span = maximumDB - minimumDB;
    if (!(span > 0.0))
        return 0.0;
    return (clampOrLow(x, minimumDB, maximumDB) - minimumDB) / span;
}

double faderPosition(double value, double lower, double upper)
{
    const double span = upper - lower;
    if (!(span > 0.0))
        return 0.0;
    return clampOrLow((value - lower) / span, 0.0, 1.0);
}

double faderCapCenterY(double value, double lower, double upper, double height)
{
    const double h = std::max(height, 1.0);
    const double y = h * (1.0 - faderPosition(value, lower, upper));
    return clampCentred(y, faderCapInset, h - faderCapInset);
}

double faderValueAt(double y, double height, double lower, double upper)
{
    const double h = std::max(height, 1.0);
    const double clamped = clampOrLow(y, 0.0, h);
    return lower + (1.0 - clamped / h) * (upper - lower);
}

double faderIncremented(double value, double lower, double upper)
{
    return std::min(value + (upper - lower) / 100.0, upper);
}

double faderDecremented(double value, double lower, double upper)
{
    return std::max(value - (upper - lower) / 100.0, lower);
}

std::optional<double> faderKeyValue(double value, double lower, double upper, double defaultValue, int key)
{
    const double span = upper - lower;
    if (!(span > 0.0))
        return std::nullopt;
    const double from = clampOrLow(value, lower, upper);
    const auto step = [&](double percent) { return std::clamp(from + percent * span / 100.0, lower, upper); };
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        return step(1);
    case Qt::Key_Down:
    case Qt::Key_Left:
        return step(-1);
    case Qt::Key_PageUp:
        return step(10);
    case Qt::Key_PageDown:
        return step(-10);
    case Qt::Key_Home:
        return lower;
    case Qt::Key_End:
        return upper;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        return defaultValue;
    default:
        return std::nullopt;
    }
}

QString faderValueText(double value)
{
    return cFormat("%.3f", value);
}

QString faderDescription(const QString& strip, double value)
{
    if (strip.isEmpty())
        return faderValueText(value);
    return strip + QStringLiteral(", ") + faderValueText(value);
}

QString percentText(double value, double lower, double upper)
{
    const double span = upper - lower;
    if (!(span > 0.0))
        return QStringLiteral("0%");
    const double f = (value - lower) / span;
    // NaN fails the comparison and reads 0 %.
    const long percent = f >= 0.0 ? std::lround(std::min(f, 1.0) * 100.0) : 0;
    return QString::number(percent) + QLatin1Char('%');
}

QString masterVolumeText(double volume, bool canControlVolume)
{
    if (!canControlVolume)
        return QStringLiteral("FIXED");
    const double percent = std::isfinite(volume) ? volume * 100.0 : 0.0;
    return QString::number(std::lround(percent)) + QLatin1Char('%');
}

QString sleepTimerText(bool active, int remainingSeconds)
{
    return active ? SLMSleepTimer::remainingText(remainingSeconds) : QStringLiteral("OFF");
}

double spectrumBarWidth(double width, int bandCount)
{
    const int n = std::max(bandCount, 1);
    const double w = (width - (n - 1) * spectrumBarSpacing) / n;
    return std::isnan(w) ? spectrumMinimumBarWidth : std::max(w, spectrumMinimumBarWidth);
}

bool spectrumBandHasLabel(int index, int bandCount)
{
    switch (index) {
    case 0: case 4: case 8: case 12: case 14: case 17: case 20:
        return index < bandCount;
    default:
        return bandCount > 0 && index == bandCount - 1;
    }
}

QString frequencyLabel(double hertz)
{
    if (!std::isfinite(hertz))
        return QString();
    // Truncated, so that nothing below 1 kHz is ever shown as 1000.
    if (hertz < 1000.0)
        return QString::number(static_cast<long long>(hertz));
    const double k = hertz / 1000.0;
    const double whole = std::round(k);
    if (std::abs(k - whole) < 0.05)
        return QString::number(static_cast<long long>(whole)) + QLatin1Char('k');
    return cFormat("%.1fk", k);
}

QStringList spectrumLabels(const QList<double>& frequencies, int bandCount)
{
    QStringList labels;
    labels.reserve(std::max(bandCount, 0));
    for (int i = 0; i < bandCount; ++i) {
        if (spectrumBandHasLabel(i, bandCount) && i < frequencies.size())
            labels.append(frequencyLabel(frequencies[i]));
        else
            labels.append(QStringLiteral(" "));
    }
    return labels;
}

double meterBarHeight(double db, double minimumDB, double maximumDB, double height)
{
    return std::max(1.0, height * fillFraction(db, minimumDB, maximumDB));
}

QString meterValueText(double db)
{
    return cFormat("%.1f dB", db);
}

double meterPeakCenterY(double peakDB, double minimumDB, double maximumDB, double height)
{
    const double y = height * (1.0 - fillFraction(peakDB, minimumDB, maximumDB));
    return clampCentred(y, 1.0, height - 1.0);
}

bool glowMasterIsSilent(double masterDB)
{
    return masterDB <= glowMasterRedThresholdDB;
}

} // namespace slm::console
