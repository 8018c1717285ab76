// starlume-snapshot: one frame of the chaos clock to a PNG, and optionally its values to JSON.

#include "FrameJson.h"
#include "GLSnapshot.h"
#include "SnapshotOptions.h"

#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/MinuteTraveller.h"
#include "clock/QPainterClockRenderer.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "starlume-snapshot: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    QString error;
    const auto options = parseSnapshotOptions(args, error);
    if (!options)
        return fail(error);
    if (options->help) {
        std::printf("%s\n", snapshotUsage);
        return 0;
    }

    // Only the OpenGL renderer needs a window system; the painter draws into memory.
    std::unique_ptr<QCoreApplication> app;
    if (options->renderer == SnapshotRenderer::gl) {
        if (!glPlatformAvailable(error))
            return fail(error);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    const QSizeF size(options->size);
    const QSize pixels(static_cast<int>(std::lround(size.width() * options->scale)),
                       static_cast<int>(std::lround(size.height() * options->scale)));
    const ClockFrame frame = computeClockFrame(options->epochMs, size);
    DisplayList list;
    buildClockFrame(list, frame);

    QImage image;
    if (options->renderer == SnapshotRenderer::gl) {
        image = renderSnapshotWithGL(list, pixels, options->scale, error);
        if (image.isNull())
            return fail(error);
    } else {
        image = QPainterClockRenderer().renderImage(list, size, options->scale);
        if (image.isNull())
            return fail(QStringLiteral("cannot allocate a %1x%2 image").arg(pixels.width()).arg(pixels.height()));
    }

    if (!image.save(options->out, "PNG"))
        return fail(QStringLiteral("cannot write '%1'").arg(options->out));

    if (!options->frameJson.isEmpty()) {
        QFile file(options->frameJson);
        const QByteArray json =
            QJsonDocument(clockFrameJson(frame, minuteTravellerHead(frame))).toJson(QJsonDocument::Indented);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(json) != json.size())
            return fail(QStringLiteral("cannot write '%1'").arg(options->frameJson));
    }
    return 0;
}
