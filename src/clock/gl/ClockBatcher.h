#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/PodArray.h"

#include <cstdint>
#include <span>

// Turns a DisplayList into what GLClockRenderer uploads once per frame: a
// stream of points, one record per operation and the gradient stops. Pure CPU
// work, no GL, and little of it: strokes, discs and rings are expanded and
// anti-aliased by the shaders, so the CPU only flattens curves into points.
//
// The stream holds every stroke's points in device pixels (consecutive
// duplicates dropped) and one centre point per disc or ring, each tagged with
// its operation. The renderer draws one instance per stream point; an
// instance reads its point, the one before and the two after, and becomes the
// segment to the next point of the same operation (with the joins or caps at
// its ends), or the disc or ring around it.
//
// Each operation owns a range of depth values: the shaders write a depth that
// falls with the operation's index and, within it, with the fragment's
// coverage, so that under depth test LESS a translucent stroke blends at most
// once per pixel where it overlaps itself, taking its largest coverage there.

struct GLShapePoint {
    float x, y;       // device pixels, origin top left, y down
    std::uint32_t op; // operation index, possibly with leadInFlag
};

// A point that only serves as a neighbour (closing a closed outline): no segment starts there.
inline constexpr std::uint32_t leadInFlag = 0x80000000u;
// Padding: belongs to no operation.
inline constexpr std::uint32_t noOperation = 0x7fffffffu;

enum class GLShapeKind : std::uint32_t { Segment = 0, Disc = 1, Ring = 2, Polygon = 3 };
enum class GLPaintKind : std::uint32_t { Solid = 0, Linear = 1, Radial = 2 };

// Three RGBA32F texels per operation.
// shape: kind, half stroke width, ellipse radii x, y (device pixels).
// paint: kind, first stop, stop count, opacity factor (gradients).
// geom:  Solid: premultiplied colour; Linear: start x, y, end x, y;
//        Radial: centre x, y, start radius, end radius (device pixels).
struct GLOpRecord {
    float shape[4];
    float paint[4];
    float geom[4];
};

struct GLStop {
    float r, g, b, a; // premultiplied, opacity clamped to 0...1
};

struct GLDrawCommand {
    enum class Kind : std::uint8_t {
        Shapes,      // instances [first, first + count) of the stream
        Polygon,     // triangles [first, first + count) of the polygon indices, convex
        StencilFill, // the same for a non-convex polygon: non-zero winding through the stencil
        ClearDepth,  // the depth values ran out: start a new run
    };
    Kind kind = Kind::Shapes;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

class ClockBatcher {
public:
    // Texels per row of the record and stop textures.
    static constexpr std::uint32_t textureWidth = 1024;
    static constexpr std::uint32_t texelsPerRecord = 3;
    // Distinct operation depths per run; the shaders use the same number.
    static constexpr std::uint32_t opsPerDepthRun = 65535;
    // Discs smaller than this radius in pixels are drawn this large, fainter,
    // so that a speck between pixel centres does not vanish.
    static constexpr float minDiscRadius = 0.7f;

    // `scale` is device pixels per point.
    void batch(const DisplayList& list, double scale);

    // Starts with one padding point and ends with two, so every instance has its neighbours.
    std::span<const GLShapePoint> stream() const { return m_stream.view(); }
    std::span<const GLOpRecord> records() const { return m_records.view(); }
    std::span<const GLStop> stops() const { return m_stops.view(); }
    // Polygon fills (the background, mostly): fan triangles.
    std::span<const GLShapePoint> polygonVertices() const { return m_polygonVertices.view(); }
    std::span<const std::uint32_t> polygonIndices() const { return m_polygonIndices.view(); }
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
    // The path's points in device pixels, consecutive duplicates and
    // non-finite points dropped, appended to `out` tagged with `op`.
    void flattenPath(const DisplayList& list, PathRef path, const Xform& xf, PodArray<GLShapePoint>& out,
                     std::uint32_t op);
    void polygon(std::size_t first);
    bool polygonIsConvex(std::size_t first) const;

    void closeShapes();

    PodArray<GLShapePoint> m_stream;
    PodArray<GLOpRecord> m_records;
    PodArray<GLStop> m_stops;
    PodArray<GLShapePoint> m_polygonVertices;
    PodArray<std::uint32_t> m_polygonIndices;
    PodArray<GLDrawCommand> m_commands;
    PodArray<Xform> m_layers;
    std::size_t m_shapesStart = 0; // first stream point not yet in a command
};
