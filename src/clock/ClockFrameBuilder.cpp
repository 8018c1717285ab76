#include "clock/ClockFrameBuilder.h"

#include "clock/Backdrop.h"
#include "clock/CentralCore.h"
#include "clock/ChaosStrands.h"
#include "clock/ClockShapes.h"
#include "clock/Dial.h"
#include "clock/FieldAndDust.h"
#include "clock/MinuteTraveller.h"
#include "clock/OrbitLayers.h"
#include "clock/TimeBodies.h"
#include "math/VectorState.h"

namespace {

// A little above what the busiest frame (every window open, an accent) draws,
// so even the first frame grows no pool.
constexpr std::size_t reservedOps = 1400;
constexpr std::size_t reservedPoints = 48000;
constexpr std::size_t reservedStops = 1000;

} // namespace

void buildClockFrame(DisplayList& list, const ClockFrame& f)
{
    list.clear();
    list.reserve(reservedOps, reservedPoints, reservedStops);
    slm::cleanUpperVectorState();

    list.fill(clockdraw::rect(list, 0, 0, f.width, f.height), DisplayList::solid(tint(Tint::black)));
    drawBackdrop(list, f);

    // The clock grows and shrinks about its centre.
    list.pushLayer(f.cx * (1 - f.S), f.cy * (1 - f.S), f.S);
    drawFieldAndDust(list, f);
    drawDial(list, f);
    drawOrbitTable(list, f);
    drawLocalOrbits(list, f);
    drawTimeBodies(list, f);
    drawChaosStrands(list, f);
    drawMinuteTraveller(list, f);
    drawCentralCore(list, f);
    list.popLayer();
}
