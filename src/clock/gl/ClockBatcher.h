#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/PodArray.h"
#include "clock/gl/PolylineThinning.h"
#include "clock/gl/StrokeStrip.h"

#include <cstdint>
#include <span>

// Turns a DisplayList into what GLClockRenderer uploads once per frame, with
// as little CPU work as it can: strokes, discs and rings are expanded and
// anti-aliased by the shaders.
//
// - points: the list's own points as they are (layer coordinates), followed
//   by the points of flattened quadratic curves;
// - one record per drawn operation: its shape, the layer transform, paint;
// - one instance per segment of every stroke and per disc or ring, holding
//   only its operation's index: the shaders find the segment's points (and
//   their neighbours, for the joins) through the record;
// - or, when asked (for software rasterisers), solid strokes and solid
//   rings as triangle strips instead (StrokeStrip.h), their vertices made here.
//
// Each operation owns a range of depth values: the shaders write a depth
// that falls with the operation's index and, within it, with the fragment's
// coverage, so that under depth test LESS a translucent stroke blends at
// most once per pixel where it overlaps itself.

enum class GLShapeKind : std::uint32_t { Segments = 0, Disc = 1, Ring = 2, Polygon = 3 };
enum class GLPaintKind : std::uint32_t { Solid = 0, Linear = 1, Radial = 2 };

// Four RGBA32F texels per operation.
// shape: kind, half stroke width in pixels, first point, last point.
// place: Segments: layer scale, x and y offset, first instance;
//        Disc, Ring: centre x, y, radii x, y (pixels).
// paint: kind, first stop, stop count, opacity factor (gradients).
// geom:  Solid: premultiplied colour; Linear: start x, y, end x, y;
//        Radial: centre x, y, start radius, end radius (pixels).
struct GLOpRecord {
    float shape[4];
    float place[4];
    float paint[4];
    float geom[4];
};

struct GLStop {
    float r, g, b, a; // premultiplied, opacity clamped to 0...1
};

struct GLPolygonVertex {
    float x, y; // pixels, origin top left, y down
    std::uint32_t op;
};

struct GLDrawCommand {
    enum class Kind : std::uint8_t {
        Shapes,       // instances [first, first + count)
        SolidStrokes, // the same, all of them segments of solid strokes
        Polygon,      // polygon indices [first, first + count), a convex polygon
        StencilFill,  // the same for any other: non-zero winding through the stencil
        ClearDepth,   // the depth values ran out: start a new run
        Strips,       // strip vertices [first, first + count): solid strokes and rings
    };
    Kind kind = Kind::Shapes;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

class ClockBatcher {
public:
    // Texels per row of the point, record and stop textures.
    static constexpr std::uint32_t textureWidth = 1024;
    static constexpr std::uint32_t texelsPerRecord = 4;
    // Distinct operation depths per run; the shaders use the same number.
    static constexpr std::uint32_t opsPerDepthRun = 65535;
    // Discs smaller than this radius in pixels are drawn this large, fainter,
    // so that a speck between pixel centres does not vanish.
    static constexpr float minDiscRadius = 0.7f;

    // `scale` is device pixels per point. The list must outlive the frame's
    // upload: its points are uploaded from where they are, unless `thinning`
    // drops some, when the kept ones go with the curves'. With `strips`,
    // solid strokes and rings become triangle strips (see StrokeStrip.h).
    void batch(const DisplayList& list, double scale, PolylineThinning thinning = {}, bool strips = false);

    // The list's points, then curveStart() onwards the flattened curves'.
    std::span<const Point2> listPoints() const { return m_listPoints; }
    std::span<const Point2> curvePoints() const { return m_curvePoints.view(); }
    std::uint32_t curveStart() const { return static_cast<std::uint32_t>(m_curveStart); }

    std::span<const GLOpRecord> records() const { return m_records.view(); }
    std::span<const GLStop> stops() const { return m_stops.view(); }
    std::span<const std::uint32_t> instances() const { return m_instances.view(); }
    // Polygon fills (the background, mostly): fan triangles.
    std::span<const GLPolygonVertex> polygonVertices() const { return m_polygonVertices.view(); }
    std::span<const std::uint32_t> polygonIndices() const { return m_polygonIndices.view(); }
    std::span<const GLStripVertex> strips() const { return m_strips.view(); }
    std::span<const GLDrawCommand> commands() const { return m_commands.view(); }

private:
    struct Xform {
        float scale = 1, ox = 0, oy = 0;
        Point2 map(Point2 p) const { return {ox + scale * p.x, oy + scale * p.y}; }
    };

    // Appends the operation's record; its index, or -1 when the paint cannot show.
    std::int64_t addRecord(const DisplayList& list, const Paint& paint, const Xform& xf, float opacity);
    void fill(const DisplayList& list, const DisplayOp& op, const Xform& xf);
    void stroke(const DisplayList& list, const DisplayOp& op, const Xform& xf);
    void ellipse(const DisplayList& list, const DisplayOp& op, const Xform& xf, float halfWidth);
    // Appends the curve's points in layer coordinates, finely enough for
    // `scale`; the index of the first.
    std::size_t flattenQuadratic(std::span<const Point2> pts, float scale);
    void polygon(std::size_t first);
    bool polygonIsConvex(std::size_t first) const;

    enum class Run : std::uint8_t { shapes, solidStrokes, strips };
    void closeShapes();
    // Instances of solid strokes go in runs of their own, drawn by shaders
    // without the other shapes' and paints' code: a software rasteriser runs
    // every branch of a shader for every pixel.
    void startShapes(Run run);

    std::span<const Point2> m_listPoints;
    std::size_t m_curveStart = 0;
    PodArray<Point2> m_curvePoints;
    PodArray<GLOpRecord> m_records;
    PodArray<GLStop> m_stops;
    PodArray<std::uint32_t> m_instances;
    PodArray<GLPolygonVertex> m_polygonVertices;
    PodArray<std::uint32_t> m_polygonIndices;
    PodArray<GLDrawCommand> m_commands;
    PodArray<Xform> m_layers;
    PodArray<GLStripVertex> m_strips;
    PodArray<Point2> m_stripScratch;
    std::size_t m_shapesStart = 0; // first instance not yet in a command
    std::size_t m_stripsStart = 0; // first strip vertex not yet in a command
    Run m_run = Run::shapes;       // what is drawn from there
    PolylineThinning m_thinning;
    bool m_useStrips = false;
};
