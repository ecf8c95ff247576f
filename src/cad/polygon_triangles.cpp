// Ear clipping: a corner whose triangle with its two neighbours turns the
// polygon's way and holds no other corner is cut off, until three remain.
#include "cad/polygon_triangles.h"

#include <algorithm>
#include <cmath>

namespace ostrel::cad {

namespace {

double Cross(const Vec3& a, const Vec3& b, const Vec3& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// p inside or on the counter-clockwise triangle abc.
bool InTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c) {
    return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

// The corners in use, counter-clockwise: points that are not finite and
// repeated points (the closing one included) dropped.
std::vector<std::uint32_t> CornerRing(const std::vector<Vec3>& polygon) {
    std::vector<std::uint32_t> ring;
    for (std::uint32_t i = 0; i < polygon.size(); ++i) {
        const auto& p = polygon[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (!ring.empty() && polygon[ring.back()].x == p.x && polygon[ring.back()].y == p.y) continue;
        ring.push_back(i);
    }
    while (ring.size() > 1 && polygon[ring.front()].x == polygon[ring.back()].x &&
           polygon[ring.front()].y == polygon[ring.back()].y)
        ring.pop_back();
    if (ring.size() < 3) return ring;
    double area = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const auto& a = polygon[ring[i]];
        const auto& b = polygon[ring[(i + 1) % ring.size()]];
        area += a.x * b.y - b.x * a.y;
    }
    if (area < 0) std::reverse(ring.begin(), ring.end());
    return ring;
}

} // namespace

std::vector<std::array<std::uint32_t, 3>> TriangulatePolygon(const std::vector<Vec3>& polygon) {
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::vector<std::uint32_t> ring = CornerRing(polygon);
    if (ring.size() < 3) return triangles;

    auto at = [&](std::size_t k) -> const Vec3& { return polygon[ring[k % ring.size()]]; };
    std::size_t k = 0, sinceLastCut = 0;
    while (ring.size() > 3) {
        const std::size_t n = ring.size();
        const std::size_t prev = (k + n - 1) % n, next = (k + 1) % n;
        const Vec3 &a = at(prev), &b = at(k), &c = at(next);
        const double turn = Cross(a, b, c);
        bool ear = false;
        if (turn == 0) {
            // A straight corner (or a spike) adds nothing: dropped without a triangle.
            ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(k));
            sinceLastCut = 0;
            if (k >= ring.size()) k = 0;
            continue;
        }
        if (turn > 0) {
            ear = true;
            for (std::size_t j = 0; j < n && ear; ++j) {
                if (j == prev || j == k || j == next) continue;
                const Vec3& p = at(j);
                if ((p.x == a.x && p.y == a.y) || (p.x == b.x && p.y == b.y) || (p.x == c.x && p.y == c.y)) continue;
                if (InTriangle(p, a, b, c)) ear = false;
            }
        }
        // A full round without an ear (a self-crossing outline): cut anyway.
        if (ear || sinceLastCut > n) {
            if (turn > 0) triangles.push_back({ring[prev], ring[k], ring[next]});
            else triangles.push_back({ring[prev], ring[next], ring[k]});
            ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(k));
            sinceLastCut = 0;
            if (k >= ring.size()) k = 0;
            continue;
        }
        k = next;
        ++sinceLastCut;
    }
    if (Cross(at(0), at(1), at(2)) != 0) {
        if (Cross(at(0), at(1), at(2)) > 0) triangles.push_back({ring[0], ring[1], ring[2]});
        else triangles.push_back({ring[0], ring[2], ring[1]});
    }
    return triangles;
}

} // namespace ostrel::cad
