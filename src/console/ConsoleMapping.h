#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

// The instrument mappings, callable from QML, so the QML files only bind.
class ConsoleMapping : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString monospaceFamily READ monospaceFamily CONSTANT)
    Q_PROPERTY(double faderCapInset READ faderCapInset CONSTANT)
    Q_PROPERTY(double spectrumBarSpacing READ spectrumBarSpacing CONSTANT)
    Q_PROPERTY(double pointsPerPixel READ pointsPerPixel CONSTANT)

public:
    explicit ConsoleMapping(QObject* parent = nullptr);

    QString monospaceFamily() const;
    double faderCapInset() const;
    double spectrumBarSpacing() const;
    // Font point size per logical pixel: the console's sizes are in pixels,
    // and fractional sizes (10.5) can only be given to Qt as point sizes.
    double pointsPerPixel() const;

    Q_INVOKABLE double fillFraction(double x, double minimumDB, double maximumDB) const;
    Q_INVOKABLE double faderCapCenterY(double value, double lower, double upper, double height) const;
    Q_INVOKABLE double faderValueAt(double y, double height, double lower, double upper) const;
    Q_INVOKABLE double faderIncremented(double value, double lower, double upper) const;
    Q_INVOKABLE double faderDecremented(double value, double lower, double upper) const;
    // The fader's new value for a key, or undefined for a key it ignores.
    Q_INVOKABLE QVariant faderKeyValue(double value, double lower, double upper, double defaultValue, int key) const;
    Q_INVOKABLE QString faderValueText(double value) const;
    Q_INVOKABLE QString faderDescription(const QString& strip, double value) const;
    Q_INVOKABLE QString percentText(double value, double lower, double upper) const;
    Q_INVOKABLE QString masterVolumeText(double volume, bool canControlVolume) const;
    Q_INVOKABLE double spectrumBarWidth(double width, int bandCount) const;
    // `frequencies`: a JavaScript array or a list of numbers.
    Q_INVOKABLE QStringList spectrumLabels(const QVariant& frequencies, int bandCount) const;
    Q_INVOKABLE double meterBarHeight(double db, double minimumDB, double maximumDB, double height) const;
    Q_INVOKABLE QString meterValueText(double db) const;
    Q_INVOKABLE double meterPeakCenterY(double peakDB, double minimumDB, double maximumDB, double height) const;
    Q_INVOKABLE bool glowMasterIsSilent(double masterDB) const;
};
