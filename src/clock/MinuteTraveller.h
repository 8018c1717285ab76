#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"
#include "clock/Point2d.h"

// The minute traveller: a creature that crosses the clock once a minute,
// left edge at second 0, centre at second 30, right edge at second 60.

struct TravellerColor {
    double r = 0, g = 0, b = 0;
};

// The look of the traveller at one stage of the minute.
struct TravellerKeyframe {
    TravellerColor tail, body, head;
    double mass = 0, breath = 0, glow = 0, ring = 0;
};

struct TravellerStage {
    TravellerKeyframe k; // blended keyframe
    int s = 0;           // index of the current keyframe, 0...4
    double lp = 0;       // progress within it, 0...1
    double b = 0;        // blend towards the next one, 0...1
};

// The keyframe at minute progress p in [0, 1).
TravellerStage keyframeAt(double p);

// Up-and-down wander of the path for one minute (seed), 0 at p = 0.5 and
// never beyond +-L. The hashes of the seed are worked out once.
class TravellerWander {
public:
    TravellerWander(double seed, double t, double L);
    double offset(double p, double omega) const;

private:
    double m_f[4]{}, m_phase[4]{}, m_slide[4]{};
    double m_L = 0;
};

double travellerOffset(double p, double seed, double omega, double t, double L);

// The head's position in the coordinates of the zoomed layer.
Point2d minuteTravellerHead(const ClockFrame& frame);

void drawMinuteTraveller(DisplayList& list, const ClockFrame& frame);
