#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/PodArray.h"

#include <cstdint>
#include <span>

// Turns a DisplayList into the triangles, paint records and gradient stops
// that GLClockRenderer uploads once per frame. Pure CPU work, no GL.
//
// Every vertex carries the index of its operation. The shaders look the
// operation's paint up in a texture and give each operation its own depth,
// decreasing in drawing order; with depth test LESS every sample then takes
// each operation at most once, so a translucent stroke that overlaps itself
// still blends once per pixel, and consecutive operations of any kind share
// one draw call.

struct GLVertex {
    float x, y; // device pixels, origin top left, y down
    std::uint32_t op;
};

enum class GLPaintKind : std::uint32_t { Solid = 0, Linear = 1, Radial = 2 };

// Two RGBA32F texels per operation.
// info: kind, first stop, stop count, opacity factor.
// geom: Solid: premultiplied colour; Linear: start x, y, end x, y;
//       Radial: centre x, y, start radius, end radius (device pixels).
struct GLPaintRecord {
    float info[4];
    float geom[4];
};

struct GLStop {
    float r, g, b, a; // premultiplied, opacity clamped to 0...1
};

struct GLDrawCommand {
    enum class Kind : std::uint8_t {
        Triangles,   // draw [firstIndex, firstIndex + indexCount) with the depth rule
        StencilFill, // a non-convex fill: non-zero winding through the stencil, then cover
        ClearDepth,  // the depth values ran out: start a new run
    };
    Kind kind = Kind::Triangles;
    std::uint32_t firstIndex = 0;
    std::uint32_t indexCount = 0;
};

class ClockTessellator {
public:
    // Texels per row of the paint and stop textures.
    static constexpr std::uint32_t textureWidth = 1024;
    // Distinct depth values per run; the shaders use the same number.
    static constexpr std::uint32_t opsPerDepthRun = 65535;
    // Strokes thinner than this many pixels are drawn this wide, fainter.
    static constexpr float minStrokeWidth = 1.0f;
    // Solid discs smaller than this radius in pixels likewise.
    static constexpr float minDiscRadius = 0.8f;

    // `scale` is device pixels per point.
    void tessellate(const DisplayList& list, double scale);

    std::span<const GLVertex> vertices() const { return m_vertices.view(); }
    std::span<const std::uint32_t> indices() const { return m_indices.view(); }
    std::span<const GLPaintRecord> paints() const { return m_paints.view(); }
    std::span<const GLStop> stops() const { return m_stops.view(); }
    std::span<const GLDrawCommand> commands() const { return m_commands.view(); }

private:
    struct Xform {
        float scale = 1, ox = 0, oy = 0;
        Point2 map(Point2 p) const { return {ox + scale * p.x, oy + scale * p.y}; }
    };

    std::int64_t addPaint(const DisplayList& list, const Paint& paint, const Xform& xf, float opacity);
    void fill(const DisplayList& list, const DisplayOp& op, const Xform& xf);
    void stroke(const DisplayList& list, const DisplayOp& op, const Xform& xf);

    // Path points in device pixels into m_path, consecutive duplicates dropped.
    void flattenPath(const DisplayList& list, PathRef path, const Xform& xf);
    void ellipseRim(float cx, float cy, float rx, float ry);
    void strokePoints(bool closed, float halfWidth, std::uint32_t op);
    void fillFan(std::uint32_t op);
    bool pathIsConvex() const;

    void closeBatch();

    PodArray<GLVertex> m_vertices;
    PodArray<std::uint32_t> m_indices;
    PodArray<GLPaintRecord> m_paints;
    PodArray<GLStop> m_stops;
    PodArray<GLDrawCommand> m_commands;
    PodArray<Point2> m_path;
    PodArray<Xform> m_layers;
    std::size_t m_batchStart = 0;
};
