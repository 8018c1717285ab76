#include "console/ConsoleMapping.h"

#include "console/InstrumentMapping.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QJSValue>
#include <QScreen>

namespace mapping = slm::console;

ConsoleMapping::ConsoleMapping(QObject* parent)
    : QObject(parent)
{
}

QString ConsoleMapping::monospaceFamily() const
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

double ConsoleMapping::faderCapInset() const { return mapping::faderCapInset; }
double ConsoleMapping::spectrumBarSpacing() const { return mapping::spectrumBarSpacing; }

double ConsoleMapping::pointsPerPixel() const
{
    // Qt converts point sizes with the primary screen's logical DPI.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? 72.0 / dpi : 0.75;
}

double ConsoleMapping::fillFraction(double x, double minimumDB, double maximumDB) const
{
    return mapping::fillFraction(x, minimumDB, maximumDB);
}

double ConsoleMapping::faderCapCenterY(double value, double lower, double upper, double height) const
{
    return mapping::faderCapCenterY(value, lower, upper, height);
}

double ConsoleMapping::faderValueAt(double y, double height, double lower, double upper) const
{
    return mapping::faderValueAt(y, height, lower, upper);
}

double ConsoleMapping::faderIncremented(double value, double lower, double upper) const
{
    return mapping::faderIncremented(value, lower, upper);
}

double ConsoleMapping::faderDecremented(double value, double lower, double upper) const
{
    return mapping::faderDecremented(value, lower, upper);
}

QVariant ConsoleMapping::faderKeyValue(double value, double lower, double upper, double defaultValue, int key) const
{
    const std::optional<double> next = mapping::faderKeyValue(value, lower, upper, defaultValue, key);
    return next ? QVariant(*next) : QVariant();
}

QString ConsoleMapping::faderValueText(double value) const { return mapping::faderValueText(value); }

QString ConsoleMapping::faderDescription(const QString& strip, double value) const
{
    return mapping::faderDescription(strip, value);
}

QString ConsoleMapping::percentText(double value, double lower, double upper) const
{
    return mapping::percentText(value, lower, upper);
}

QString ConsoleMapping::masterVolumeText(double volume, bool canControlVolume) const
{
    return mapping::masterVolumeText(volume, canControlVolume);
}

double ConsoleMapping::spectrumBarWidth(double width, int bandCount) const
{
    return mapping::spectrumBarWidth(width, bandCount);
}

QStringList ConsoleMapping::spectrumLabels(const QVariant& frequencies, int bandCount) const
{
    QVariant list = frequencies;
    if (list.metaType() == QMetaType::fromType<QJSValue>())
        list = list.value<QJSValue>().toVariant();
    QList<double> hertz;
    for (const QVariant& f : list.toList())
        hertz.append(f.toDouble());
    return mapping::spectrumLabels(hertz, bandCount);
}

double ConsoleMapping::meterBarHeight(double db, double minimumDB, double maximumDB, double height) const
{
    return mapping::meterBarHeight(db, minimumDB, maximumDB, height);
}

QString ConsoleMapping::meterValueText(double db) const { return mapping::meterValueText(db); }

double ConsoleMapping::meterPeakCenterY(double peakDB, double minimumDB, double maximumDB, double height) const
{
    return mapping::meterPeakCenterY(peakDB, minimumDB, maximumDB, height);
}

bool ConsoleMapping::glowMasterIsSilent(double masterDB) const { return mapping::glowMasterIsSilent(masterDB); }
