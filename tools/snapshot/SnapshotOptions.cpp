#include "SnapshotOptions.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace {

constexpr int maxPixels = 16384; // per side

// Milliseconds from up to three fractional digits ("5" is 500 ms).
int fractionMs(const QString& digits) { return digits.isEmpty() ? 0 : digits.leftJustified(3, u'0').toInt(); }

} // namespace

std::optional<qint64> parseSnapshotTime(const QString& text, QString& error)
{
    static const QRegularExpression epoch(QStringLiteral("^@(-?)([0-9]{1,12})(?:\\.([0-9]{1,3}))?\\z"));
    static const QRegularExpression iso(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\\.([0-9]{1,3}))?\\z"));

    if (const auto m = epoch.match(text); m.hasMatch()) {
        const qint64 ms = m.captured(2).toLongLong() * 1000 + fractionMs(m.captured(3));
        return m.captured(1).isEmpty() ? ms : -ms;
    }
    const auto m = iso.match(text);
    if (!m.hasMatch()) {
        error = QStringLiteral("invalid --at '%1' (expected YYYY-MM-DDTHH:MM:SS(.fff) or @EPOCH(.fff))").arg(text);
        return std::nullopt;
    }
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), fractionMs(m.captured(7)));
    if (!date.isValid() || !time.isValid()) {
        error = QStringLiteral("invalid --at '%1': no such date or time of day").arg(text);
        return std::nullopt;
    }
    const QDateTime local(date, time, Qt::LocalTime);
    // A time skipped by a daylight-saving change has no instant.
    if (!local.isValid() || local.date() != date || local.time() != time) {
        error = QStringLiteral("invalid --at '%1': that local time does not exist in the time zone").arg(text);
        return std::nullopt;
    }
    return local.toMSecsSinceEpoch();
}

std::optional<SnapshotOptions> parseSnapshotOptions(const QStringList& args, QString& error)
{
    SnapshotOptions options;
    bool haveAt = false;
    bool haveSize = false;
    QStringList seen;

    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            options.help = true;
            return options;
        }
        if (!name.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("unexpected argument '%1'").arg(name);
            return std::nullopt;
        }
        if (const qsizetype eq = name.indexOf(u'='); eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = QStringLiteral("%1 needs a value").arg(name);
            return std::nullopt;
        }
        if (seen.contains(name)) {
            error = QStringLiteral("%1 given more than once").arg(name);
            return std::nullopt;
        }
        seen << name;

        if (name == QLatin1String("--at")) {
            const auto ms = parseSnapshotTime(value, error);
            if (!ms)
                return std::nullopt;
            options.epochMs = *ms;
            haveAt = true;
        } else if (name == QLatin1String("--size")) {
            static const QRegularExpression wxh(QStringLiteral("^([0-9]{1,5})x([0-9]{1,5})\\z"));
            const auto m = wxh.match(value);
            const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
            const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
            if (w < 1 || h < 1 || w > maxPixels || h > maxPixels) {
                error = QStringLiteral("invalid --size '%1' (expected WxH in points, each 1...%2)").arg(value).arg(maxPixels);
                return std::nullopt;
            }
            options.size = QSize(w, h);
            haveSize = true;
        } else if (name == QLatin1String("--scale")) {
            // Decimal only: toDouble alone would also take blanks around the number.
            static const QRegularExpression decimal(
                QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\z"));
            bool ok = decimal.match(value).hasMatch();
            const double f = ok ? value.toDouble(&ok) : 0.0;
            if (!ok || !std::isfinite(f) || f <= 0 || f > 16) {
                error = QStringLiteral("invalid --scale '%1' (expected a number above 0, at most 16)").arg(value);
                return std::nullopt;
            }
            options.scale = f;
        } else if (name == QLatin1String("--renderer")) {
            if (value == QLatin1String("painter")) {
                options.renderer = SnapshotRenderer::painter;
            } else if (value == QLatin1String("gl")) {
                options.renderer = SnapshotRenderer::gl;
            } else {
                error = QStringLiteral("invalid --renderer '%1' (expected painter or gl)").arg(value);
                return std::nullopt;
            }
        } else if (name == QLatin1String("--out")) {
            options.out = value;
        } else if (name == QLatin1String("--frame")) {
            options.frameJson = value;
        } else {
            error = QStringLiteral("unknown option '%1'").arg(name);
            return std::nullopt;
        }
    }

    if (!haveAt || !haveSize || options.out.isEmpty()) {
        error = QStringLiteral("missing %1").arg(!haveAt ? "--at TIME" : !haveSize ? "--size WxH" : "--out FILE.png");
        return std::nullopt;
    }
    const double pw = std::round(options.size.width() * options.scale);
    const double ph = std::round(options.size.height() * options.scale);
    if (pw < 1 || ph < 1 || pw > maxPixels || ph > maxPixels) {
        error = QStringLiteral("--size %1x%2 at --scale %3 gives %4x%5 pixels (each must be 1...%6)")
                    .arg(options.size.width())
                    .arg(options.size.height())
                    .arg(options.scale)
                    .arg(pw)
                    .arg(ph)
                    .arg(maxPixels);
        return std::nullopt;
    }
    return options;
}
