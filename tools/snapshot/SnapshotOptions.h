#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

enum class SnapshotRenderer { painter, gl };

struct SnapshotOptions {
    qint64 epochMs = 0;
    QSize size;          // points
    double scale = 1.0;  // pixels per point
    SnapshotRenderer renderer = SnapshotRenderer::painter;
    QString out;         // PNG
    QString frameJson;   // optional
    bool help = false;
};

// Reads the command line (without the program name). On bad input returns
// nothing and puts one line saying what is wrong into `error`.
std::optional<SnapshotOptions> parseSnapshotOptions(const QStringList& args, QString& error);

// "YYYY-MM-DDTHH:MM:SS(.fff)" in the local time zone (TZ), or "@EPOCH(.fff)" in Unix seconds.
std::optional<qint64> parseSnapshotTime(const QString& text, QString& error);

inline constexpr char snapshotUsage[] =
    "usage: starlume-snapshot --at TIME --size WxH [--scale F] [--renderer painter|gl] --out FILE.png "
    "[--frame FILE.json]";
