#pragma once

#include "clock/Palette.h"

#include <QPointF>

#include <array>
#include <span>

// Bodies travelling on slowly turning, tilted ellipses about the clock centre.
// Semi-axes are multiples of the clock radius R; angles are radians and grow
// clockwise on screen (y points down).

struct OrbitObject {
    double phase;           // angle on the orbit at t = 0
    double speedMultiplier; // factor on the orbit's objectSpeed
    double radius;          // base body radius, points
    Tint color;
    double glow; // carried for completeness; the body drawing derives its glow from brightness
};

struct OrbitDefinition {
    double rx, ry;
    double rotation; // tilt at t = 0
    double speed;    // tilt rate, rad/s; negative turns counter-clockwise
    Tint color;
    double opacity;
    double lineWidth; // also the size unit of the orbit's two markers
    double objectSpeed;
    std::span<const OrbitObject> objects;
};

struct LocalOrbit {
    double rx, ry;
    double rotation;
    double speed;
    Tint color;
    double opacity;
    double lineWidth;
    double phase; // the single body's angle at t = 0
    double bodyRadius;
};

// Immutable tables, shared for the life of the process.
const std::array<OrbitDefinition, 3>& orbitDefinitions();
const std::array<LocalOrbit, 3>& localOrbits();

// The point at angle theta on the ellipse of semi-axes m·rx·R and m·ry·R about
// (cx, cy), turned by tilt.
QPointF orbitPoint(double cx, double cy, double R, double rx, double ry, double tilt, double theta, double m = 1);

inline double orbitTilt(double rotation, double speed, double t) { return rotation + speed * t; }

// 0 at the top of the untilted ellipse, 1 at the bottom: nearer bodies are drawn brighter and larger.
double orbitDepth(double theta);

// Angles of what travels on orbitDefinitions()[i].
double orbitObjectAngle(const OrbitDefinition& orbit, const OrbitObject& object, double t);
double orbitMarkerAAngle(const OrbitDefinition& orbit, int i, double t);
double orbitMarkerBAngle(const OrbitDefinition& orbit, int i, double t);

// The body of localOrbits()[i]: its angle, and its orbit's size factor under layer energy E.
double localOrbitBodyAngle(const LocalOrbit& orbit, int i, double t);
double localOrbitSizeFactor(int i, double E);

// Points in an orbit's outline polyline (the last one on the first).
inline constexpr int orbitOutlineSegments = 180;
inline constexpr int localOrbitOutlineSegments = 200;
