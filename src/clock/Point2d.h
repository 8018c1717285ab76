#pragma once

// A position in double precision, for values the clock reports rather than
// draws (the display list itself stores floats).
struct Point2d {
    double x = 0, y = 0;

    friend bool operator==(const Point2d&, const Point2d&) = default;
};
