#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The numbers behind the console's instruments: where a fader cap sits, what
// a pointer position means, how tall a meter bar is and what the readouts say.
// Kept free of Qt Quick so that they can be tested without a window.
namespace slm::console {

// Edge distance that keeps the fader cap fully inside its track.
inline constexpr double faderCapInset = 14.0;
inline constexpr double spectrumBarSpacing = 4.0;
inline constexpr double spectrumMinimumBarWidth = 4.0;
inline constexpr double glowMasterRedThresholdDB = -59.5;

// Where x lies between minimumDB and maximumDB, as 0 ... 1 (clamped).
double fillFraction(double x, double minimumDB, double maximumDB);

// Fader position 0 (bottom) ... 1 (top); 0 for an empty or inverted range.
double faderPosition(double value, double lower, double upper);

// Vertical centre of the fader cap, measured from the top of a track of
// the given height; never closer than faderCapInset to either end.
double faderCapCenterY(double value, double lower, double upper, double height);

// The value under a pointer at y (from the top): the top edge is `upper`,
// the bottom edge `lower`, positions outside the track clamp to its ends.
double faderValueAt(double y, double height, double lower, double upper);

// One accessibility step (1 % of the range), never past the range's end.
double faderIncremented(double value, double lower, double upper);
double faderDecremented(double value, double lower, double upper);

// What a key does to a focused fader: the arrows step 1 % of the range,
// Page Up and Page Down 10 %, Home and End go to the lower and upper end,
// Enter and Return to the default. A step starts from where the cap stands,
// so a value beyond the range moves from its nearer end. No value for any
// other key (a Qt::Key).
std::optional<double> faderKeyValue(double value, double lower, double upper, double defaultValue, int key);

// "%.3f", independent of the locale.
QString faderValueText(double value);

// The fader's accessibility description: its strip, then its value text.
QString faderDescription(const QString& strip, double value);

// Whole percent of the range, halves away from zero: "0%" ... "100%".
QString percentText(double value, double lower, double upper);

// The master readout: the device volume in percent, or "FIXED" when the
// device's volume cannot be read or set.
QString masterVolumeText(double volume, bool canControlVolume);

// The sleep timer's readout: "OFF" while it is off, then the time left as
// "m:ss", or "h:mm:ss" from an hour up.
QString sleepTimerText(bool active, int remainingSeconds);

// Width of one analyser bar when `bandCount` bars share `width`.
double spectrumBarWidth(double width, int bandCount);

// Whether band `index` of `bandCount` carries a frequency label.
bool spectrumBandHasLabel(int index, int bandCount);

// "40", "630", "1k", "10k", "6.3k".
QString frequencyLabel(double hertz);

// One label per band: the frequency where the band carries one, otherwise a
// single space so every column keeps the same height.
QStringList spectrumLabels(const QList<double>& frequencies, int bandCount);

// Meter bar height in a body of `height`; never below 1 so silence still
// shows a sliver.
double meterBarHeight(double db, double minimumDB, double maximumDB, double height);

// The meter's accessibility value: "%.1f dB".
QString meterValueText(double db);

// Centre of the 2-point peak marker, kept inside the meter body.
double meterPeakCenterY(double peakDB, double minimumDB, double maximumDB, double height);

// The glow master's readout turns red when the bus is effectively off.
bool glowMasterIsSilent(double masterDB);

} // namespace slm::console
