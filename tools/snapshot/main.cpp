// starlume-snapshot: one frame of the chaos clock to a PNG, and optionally its values to JSON.

#include "FrameJson.h"
#include "GLSnapshot.h"
#include "SnapshotOptions.h"

#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/MinuteTraveller.h"
#include "clock/QPainterClockRenderer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QSaveFile>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// Qt's own warnings (a driver short of memory, say) are held back: a failed
// run says one line, and a good one passes them on at the end.
QtMessageHandler qtHandler = nullptr;
QList<std::pair<QtMsgType, QString>>* heldMessages = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg || !heldMessages)
        qtHandler(type, context, message);
    else
        heldMessages->append({type, message});
}

// One line, whatever the arguments it quotes hold.
int fail(QString message)
{
    message.replace(u'\n', QLatin1String("\\n")).replace(u'\r', QLatin1String("\\r"));
    std::fprintf(stderr, "starlume-snapshot: %s\n", qPrintable(message));
    return 2;
}

int succeed()
{
    if (heldMessages) {
        for (const auto& [type, message] : *heldMessages)
            qtHandler(type, QMessageLogContext(), message);
    }
    return 0;
}

// Both files appear, or neither: each is written beside its target first.
bool saveOutputs(const QImage& image, const QString& pngPath, const QString& jsonPath, const QByteArray& json,
                 QString& error)
{
    QSaveFile png(pngPath);
    if (!png.open(QIODevice::WriteOnly) || !image.save(&png, "PNG")) {
        error = QStringLiteral("cannot write '%1'").arg(pngPath);
        return false;
    }
    if (!jsonPath.isEmpty()) {
        QSaveFile frame(jsonPath);
        if (!frame.open(QIODevice::WriteOnly) || frame.write(json) != json.size() || !frame.commit()) {
            error = QStringLiteral("cannot write '%1'").arg(jsonPath);
            return false; // the PNG is discarded with its QSaveFile
        }
    }
    if (!png.commit()) {
        error = QStringLiteral("cannot write '%1'").arg(pngPath);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    QList<std::pair<QtMsgType, QString>> held;
    heldMessages = &held;
    qtHandler = qInstallMessageHandler(holdMessage);

    QString error;
    const auto options = parseSnapshotOptions(args, error);
    if (!options)
        return fail(error);
    if (options->help) {
        std::printf("%s\n", snapshotUsage);
        return succeed();
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

    QByteArray json;
    if (!options->frameJson.isEmpty())
        json = QJsonDocument(clockFrameJson(frame, minuteTravellerHead(frame))).toJson(QJsonDocument::Indented);
    if (!saveOutputs(image, options->out, options->frameJson, json, error))
        return fail(error);
    return succeed();
}
