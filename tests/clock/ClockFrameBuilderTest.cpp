#include "clock/Backdrop.h"
#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/QPainterClockRenderer.h"

#include "DisplayListProbe.h"

#include <QColor>
#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <set>

#include <gtest/gtest.h>

namespace {

ClockFrame frameAtUtc(const QDateTime& date, QSizeF size)
{
    return computeClockFrame(date, size, QTimeZone::utc());
}

const QDateTime quietMoment(QDate(2024, 5, 4), QTime(10, 9, 40), QTimeZone::utc());

TEST(ClockFrameBuilder, SameDateSameListOtherDateOtherList)
{
    const ClockFrame f = frameAtUtc(quietMoment, {1280, 800});
    DisplayList a;
    DisplayList b;
    buildClockFrame(a, f);
    buildClockFrame(b, frameAtUtc(quietMoment, {1280, 800}));
    EXPECT_TRUE(a == b);

    // Reusing a list that held another frame gives the same result as a fresh one.
    DisplayList reused;
    buildClockFrame(reused, frameAtUtc(quietMoment.addSecs(17), {640, 480}));
    buildClockFrame(reused, f);
    EXPECT_TRUE(reused == a);

    DisplayList later;
    buildClockFrame(later, frameAtUtc(quietMoment.addMSecs(16), {1280, 800}));
    EXPECT_FALSE(later == a);
}

TEST(ClockFrameBuilder, BlackBackdropThenTheClockZoomedAboutItsCentre)
{
    const ClockFrame f = frameAtUtc(quietMoment.addSecs(-40), {900, 600}); // 10:09:00, minute accent
    ASSERT_EQ(f.accent.kind, ClockAccentKind::minute);
    ASSERT_GT(f.S, 1.0);
    DisplayList dl;
    buildClockFrame(dl, f);
    const auto ops = dl.ops();

    ASSERT_EQ(ops[0].kind, OpKind::Fill);
    EXPECT_EQ(ops[0].paint.color.a, 1.0f);
    EXPECT_EQ(ops[0].paint.color.r + ops[0].paint.color.g + ops[0].paint.color.b, 0.0f);

    int pushes = 0;
    std::size_t push = 0;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].kind == OpKind::PushLayer) {
            ++pushes;
            push = i;
        }
    }
    ASSERT_EQ(pushes, 1);
    EXPECT_EQ(ops.back().kind, OpKind::PopLayer);
    // The centre stays put under the zoom.
    const DisplayOp& layer = ops[push];
    EXPECT_NEAR(layer.tx + layer.scale * f.cx, f.cx, 1e-3);
    EXPECT_NEAR(layer.ty + layer.scale * f.cy, f.cy, 1e-3);
    EXPECT_FLOAT_EQ(layer.scale, static_cast<float>(f.S));
    // The stars are the last of the unzoomed backdrop.
    const probe::Circle lastStar = probe::ellipseOf(dl, ops[push - 1]);
    const BackdropStar expected = backdropStar(backdropStarCount - 1, 900, 600);
    EXPECT_NEAR(lastStar.x, expected.x, 1e-3);
    EXPECT_NEAR(lastStar.y, expected.y, 1e-3);
}

TEST(ClockFrameBuilder, PainterFrameShowsBlackSkyAndTheWhiteDialRing)
{
    const QSizeF size(480, 300);
    const double scale = 2;
    const ClockFrame f = frameAtUtc(quietMoment, size);
    DisplayList dl;
    buildClockFrame(dl, f);
    const QImage image = QPainterClockRenderer().renderImage(dl, size, scale);
    ASSERT_EQ(image.size(), QSize(960, 600));

    // Not blank: plenty of lit pixels of many colours.
    std::set<QRgb> colours;
    int lit = 0;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            const QColor c = image.pixelColor(x, y);
            EXPECT_EQ(c.alpha(), 255);
            lit += std::max({c.red(), c.green(), c.blue()}) > 60;
            colours.insert(image.pixel(x, y) & 0xf0f0f0);
        }
    }
    EXPECT_GT(lit, 2000);
    EXPECT_GT(colours.size(), 200u);

    // A corner far from every star is the black background.
    const auto farFromStars = [&](double x, double y) {
        for (int i = 0; i < backdropStarCount; ++i) {
            const BackdropStar s = backdropStar(i, size.width(), size.height());
            if (std::hypot(s.x - x, s.y - y) < 3)
                return false;
        }
        return true;
    };
    int blackProbes = 0;
    for (const auto& [x, y] : {std::pair{3.0, 3.0}, {476.0, 3.0}, {3.0, 296.0}, {476.0, 296.0}}) {
        if (!farFromStars(x, y))
            continue;
        const QColor c = image.pixelColor(static_cast<int>(x * scale), static_cast<int>(y * scale));
        EXPECT_LE(std::max({c.red(), c.green(), c.blue()}), 3) << x << "," << y;
        ++blackProbes;
    }
    EXPECT_GE(blackProbes, 2);

    // The dial's white ring at 0.86·R, in screen terms after the zoom; strands may cross
    // a few probes, so most (not all) of the top arc must be near white.
    int white = 0;
    const int probes = 40;
    for (int k = 0; k < probes; ++k) {
        const double a = -std::numbers::pi / 2 + (k - probes / 2) * 0.015;
        const double px = f.cx + f.S * 0.86 * f.R * std::cos(a);
        const double py = f.cy + f.S * 0.86 * f.R * std::sin(a);
        const QColor c = image.pixelColor(static_cast<int>(px * scale), static_cast<int>(py * scale));
        white += std::min({c.red(), c.green(), c.blue()}) >= 170;
    }
    EXPECT_GE(white, probes * 6 / 10);
}

} // namespace
