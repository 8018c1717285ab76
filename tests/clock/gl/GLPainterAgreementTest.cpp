// The OpenGL renderer against the QPainter reference on whole clock frames,
// at device pixel ratios 1 and 2.
//
// They cannot agree to the bit: the shaders take edge coverage across the
// nearest edge where QPainter computes it exactly, sub-pixel discs are drawn
// larger with their ink spread, and where a translucent stroke overlaps its
// own anti-aliased edge it keeps the larger coverage only when that comes
// second. Those differences sit on edges, so the images are compared by
//   - the mean absolute difference per channel over all pixels: at most 0.9
//     levels of 255 (0.17 to 0.36 here);
//   - the share of pixels where some channel differs by more than 40 levels:
//     at most 0.08 % (0.001 to 0.021 % here);
//   - the largest difference of any channel: at most 100 levels (51 to 84 here).
// Blending a self-overlapping stroke twice breaks the share on the two
// busier moments at both ratios (0.26 to 0.64 %); letting the first fragment
// of an operation take the pixel whatever its coverage breaks the largest
// difference on them (105 to 130 levels).
#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/QPainterClockRenderer.h"
#include "clock/gl/ClockQuality.h"
#include "clock/gl/GLClockTarget.h"
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

struct Difference {
    double meanPerChannel = 0; // levels of 255
    double shareAbove = 0;     // of pixels
    int largest = 0;
    int largestX = 0, largestY = 0;
};

Difference compare(const QImage& a, const QImage& b, int threshold)
{
    Difference d;
    long long sum = 0;
    long long above = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int dr = std::abs(qRed(pa[x]) - qRed(pb[x]));
            const int dg = std::abs(qGreen(pa[x]) - qGreen(pb[x]));
            const int db = std::abs(qBlue(pa[x]) - qBlue(pb[x]));
            const int da = std::abs(qAlpha(pa[x]) - qAlpha(pb[x]));
            sum += dr + dg + db + da;
            const int worst = std::max({dr, dg, db, da});
            if (worst > d.largest) {
                d.largest = worst;
                d.largestX = x;
                d.largestY = y;
            }
            above += worst > threshold ? 1 : 0;
        }
    }
    const double pixels = static_cast<double>(a.width()) * a.height();
    d.meanPerChannel = static_cast<double>(sum) / (4 * pixels);
    d.shareAbove = static_cast<double>(above) / pixels;
    return d;
}

struct Moment {
    const char* date;
    double devicePixelRatio;
};

class GLPainterAgreementTest : public testing::TestWithParam<Moment> {
protected:
    static void SetUpTestSuite() { s_gl = std::make_unique<GLOffscreenClockRenderer>(); }
    static void TearDownTestSuite() { s_gl.reset(); }
    static std::unique_ptr<GLOffscreenClockRenderer> s_gl;
};

std::unique_ptr<GLOffscreenClockRenderer> GLPainterAgreementTest::s_gl;

TEST_P(GLPainterAgreementTest, WholeFramesAgreeWithinTolerance)
{
    ASSERT_TRUE(s_gl->isValid()) << s_gl->errorString().toStdString();
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(GetParam().date), Qt::ISODateWithMs);
    ASSERT_TRUE(date.isValid());
    const QSizeF size(720, 450);
    const double dpr = GetParam().devicePixelRatio;
    DisplayList list;
    buildClockFrame(list, computeClockFrame(date, size, QTimeZone::utc()));

    QPainterClockRenderer painter;
    const QImage reference = painter.renderImage(list, size, dpr);
    const QImage gl = s_gl->render(list, reference.size(), dpr, fullClockRendering.thinning);
    ASSERT_EQ(gl.size(), reference.size());
    ASSERT_EQ(reference.format(), QImage::Format_ARGB32_Premultiplied);

    const Difference d = compare(gl, reference, 40);
    EXPECT_LE(d.meanPerChannel, 0.9);
    EXPECT_LE(d.shareAbove, 0.0008);
    EXPECT_LE(d.largest, 100);
    std::printf("mean %.3f levels, %.3f %% of pixels beyond 40 levels, largest %d at %d,%d\n", d.meanPerChannel,
                100 * d.shareAbove, d.largest, d.largestX, d.largestY);
}

// A quiet moment, the half-minute accent at full charge, and the top of the
// hour with the hour accent.
INSTANTIATE_TEST_SUITE_P(Moments, GLPainterAgreementTest,
                         testing::Values(Moment{"2024-03-05T10:17:44.250Z", 2}, Moment{"2024-03-05T10:17:30.600Z", 2},
                                         Moment{"2024-03-05T11:00:01.600Z", 2}, Moment{"2024-03-05T10:17:44.250Z", 1},
                                         Moment{"2024-03-05T10:17:30.600Z", 1}, Moment{"2024-03-05T11:00:01.600Z", 1}));

// Reduced quality: drawn at the reduced render scale with its thinned
// polylines, scaled up smoothly as the scene graph does. Softer, so compared
// more loosely, but the thinning must not cost much beyond what the smaller
// drawing costs anyway.
TEST_P(GLPainterAgreementTest, ReducedFramesStayTheSameClock)
{
    ASSERT_TRUE(s_gl->isValid()) << s_gl->errorString().toStdString();
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(GetParam().date), Qt::ISODateWithMs);
    const QSizeF size(720, 450);
    const double dpr = GetParam().devicePixelRatio;
    DisplayList list;
    buildClockFrame(list, computeClockFrame(date, size, QTimeZone::utc()));
    QPainterClockRenderer painter;
    const QImage reference = painter.renderImage(list, size, dpr);

    const double scale = dpr * reducedClockRendering.renderScale;
    const QSize pixels = GLClockTarget::pixelSizeFor(size, scale);
    const auto reduced = [&](PolylineThinning thinning, bool strokeStrips) {
        const QImage small = s_gl->render(list, pixels, scale, thinning, strokeStrips);
        EXPECT_FALSE(small.isNull());
        QImage up = small.scaled(reference.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return compare(up.convertToFormat(QImage::Format_ARGB32_Premultiplied), reference, 40);
    };
    const Difference plain = reduced({}, false);
    const Difference thinned = reduced(reducedClockRendering.thinning, reducedClockRendering.strokeStrips);
    std::printf("reduced: mean %.3f / %.3f levels, %.3f / %.3f %% beyond 40 levels (plain / thinned)\n",
                plain.meanPerChannel, thinned.meanPerChannel, 100 * plain.shareAbove, 100 * thinned.shareAbove);
    // Thinned, lines move by up to a quarter of a drawn pixel: 4-5 % more
    // difference on average, up to 0.8 % more pixels beyond 40 levels.
    EXPECT_LE(thinned.meanPerChannel, 1.1 * plain.meanPerChannel);
    EXPECT_LE(thinned.shareAbove, plain.shareAbove + 0.01);
}

} // namespace
