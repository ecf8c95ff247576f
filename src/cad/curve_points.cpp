#include "cad/curve_points.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrel::cad {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

// The clamped uniform knot vector of n control points and degree p.
std::vector<double> ClampedKnots(std::size_t n, int p) {
    std::vector<double> k;
    const std::size_t inner = n > static_cast<std::size_t>(p) + 1 ? n - p - 1 : 0;
    for (int i = 0; i <= p; ++i) k.push_back(0);
    for (std::size_t i = 1; i <= inner; ++i) k.push_back(static_cast<double>(i) / (inner + 1));
    for (int i = 0; i <= p; ++i) k.push_back(1);
    return k;
}

// de Boor's evaluation at u in span [k[span], k[span + 1]), homogeneous
// when weighted.
Vec3 DeBoor(const SplineData& s, const std::vector<double>& k, int p, std::size_t span, double u) {
    struct H { double x, y, z, w; };
    std::vector<H> d(p + 1);
    for (int j = 0; j <= p; ++j) {
        const auto& c = s.controlPoints[span - p + j];
        const double w = s.weights.size() == s.controlPoints.size() ? s.weights[span - p + j] : 1.0;
        d[j] = {c.x * w, c.y * w, c.z * w, w};
    }
    for (int r = 1; r <= p; ++r)
        for (int j = p; j >= r; --j) {
            const double lo = k[span - p + j], hi = k[span + 1 + j - r];
            const double a = hi > lo ? (u - lo) / (hi - lo) : 0;
            d[j] = {(1 - a) * d[j - 1].x + a * d[j].x, (1 - a) * d[j - 1].y + a * d[j].y,
                    (1 - a) * d[j - 1].z + a * d[j].z, (1 - a) * d[j - 1].w + a * d[j].w};
        }
    const double w = d[p].w != 0 ? d[p].w : 1;
    return {d[p].x / w, d[p].y / w, d[p].z / w};
}

bool KnotsUsable(const std::vector<double>& k, std::size_t n, int p) {
    if (k.size() != n + p + 1) return false;
    for (std::size_t i = 1; i < k.size(); ++i)
        if (!(k[i] >= k[i - 1])) return false;
    return k[p] < k[n];
}

} // namespace

std::vector<Vec3> SplinePoints(const SplineData& s, int perSpan) {
    const std::size_t n = s.controlPoints.size();
    if (n == 0) return s.fitPoints;
    if (n < 2) return s.controlPoints;
    const int p = std::clamp<int>(s.degree, 1, static_cast<int>(std::min<std::size_t>(n - 1, 11)));
    const std::vector<double> k = KnotsUsable(s.knots, n, p) ? s.knots : ClampedKnots(n, p);
    std::vector<Vec3> out;
    for (std::size_t span = p; span < n; ++span) {
        if (!(k[span + 1] > k[span])) continue;
        const int steps = std::max(perSpan, 1);
        for (int i = out.empty() ? 0 : 1; i <= steps; ++i) {
            const double u = k[span] + (k[span + 1] - k[span]) * i / steps;
            // The span's own end is evaluated in it: the next span starts there.
            out.push_back(DeBoor(s, k, p, span, u));
        }
    }
    return out;
}

std::vector<Vec3> LwPolylinePoints(const LwPolylineData& p, int perTurn) {
    std::vector<Vec3> out;
    const auto& v = p.vertices;
    if (v.empty()) return out;
    const bool closed = (p.flags & 1) != 0;
    out.push_back({v[0].x, v[0].y, p.elevation});
    const std::size_t segments = closed ? v.size() : v.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const auto& a = v[i];
        const auto& b = v[(i + 1) % v.size()];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (std::fabs(a.bulge) > 1e-9 && len > 0) {
            const double theta = 4 * std::atan(a.bulge);
            const double k = (len / 2) / std::tan(theta / 2);
            const double cx = (a.x + b.x) / 2 - (b.y - a.y) / len * k, cy = (a.y + b.y) / 2 + (b.x - a.x) / len * k;
            const double r = std::hypot(a.x - cx, a.y - cy), a0 = std::atan2(a.y - cy, a.x - cx);
            const int steps = std::max(2, static_cast<int>(std::fabs(theta) / kTurn * perTurn));
            for (int j = 1; j < steps; ++j) {
                const double t = a0 + theta * j / steps;
                out.push_back({cx + r * std::cos(t), cy + r * std::sin(t), p.elevation});
            }
        }
        out.push_back({b.x, b.y, p.elevation});
    }
    return out;
}

} // namespace ostrel::cad
