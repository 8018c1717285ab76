#include "clock/DisplayList.h"

#include <cstring>

namespace {

template <typename T>
bool sameBytes(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

} // namespace

// Bitwise: two frames of the same date must produce exactly the same list.
bool DisplayList::operator==(const DisplayList& other) const
{
    if (m_ops.size() != other.m_ops.size())
        return false;
    for (std::size_t i = 0; i < m_ops.size(); ++i) {
        const DisplayOp& a = m_ops[i];
        const DisplayOp& b = other.m_ops[i];
        if (a.kind != b.kind || a.path.kind != b.path.kind || a.path.first != b.path.first
            || a.path.count != b.path.count || a.paint.kind != b.paint.kind
            || std::memcmp(&a.paint.color, &b.paint.color, sizeof(Rgba)) != 0
            || std::memcmp(&a.paint.p0, &b.paint.p0, sizeof(Point2)) != 0
            || std::memcmp(&a.paint.p1, &b.paint.p1, sizeof(Point2)) != 0 || a.paint.r0 != b.paint.r0
            || a.paint.r1 != b.paint.r1 || a.paint.firstStop != b.paint.firstStop
            || a.paint.stopCount != b.paint.stopCount || a.width != b.width || a.tx != b.tx || a.ty != b.ty
            || a.scale != b.scale)
            return false;
    }
    return sameBytes(m_points, other.m_points) && sameBytes(m_stops, other.m_stops);
}
