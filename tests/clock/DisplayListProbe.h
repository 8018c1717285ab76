#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

#include <QPointF>

#include <functional>
#include <vector>

// Reading back what a layer wrote, for the clock's tests.
namespace probe {

struct Circle {
    double x, y, rx, ry;
};

inline Circle ellipseOf(const DisplayList& dl, const DisplayOp& op)
{
    const auto p = dl.points(op.path);
    return {p[0].x + p[1].x / 2.0, p[0].y + p[1].y / 2.0, p[1].x / 2.0, p[1].y / 2.0};
}

inline std::vector<DisplayOp> opsWhere(const DisplayList& dl, const std::function<bool(const DisplayOp&)>& keep)
{
    std::vector<DisplayOp> out;
    for (const DisplayOp& op : dl.ops())
        if (keep(op))
            out.push_back(op);
    return out;
}

inline bool isDisc(const DisplayOp& op) { return op.kind == OpKind::Fill && op.path.kind == PathKind::Ellipse; }

// A quiet frame: no accent, no window open, a given size and time.
inline ClockFrame quietFrame(double t = 100.0, double w = 1000, double h = 800)
{
    ClockFrame f;
    f.t = t;
    f.width = w;
    f.height = h;
    f.cx = w / 2;
    f.cy = h / 2;
    f.R = 300;
    f.S = 1;
    f.slow = {0.5, 0.5, 0.5, 0.5, 0.5, 0};
    return f;
}

} // namespace probe
