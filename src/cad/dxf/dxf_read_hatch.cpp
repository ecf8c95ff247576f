// The boundary of a HATCH record. The database keeps one closed path per
// hatch: the first external path when the hatch marks one, else the first.
// Polyline paths keep their vertices; edge paths become the polygon through
// their edges (arcs and ellipses flattened, splines by control points).
#include <cmath>

#include "cad/dxf/dxf_read_context.h"

namespace ostrel::cad {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kArcSteps = 16;

// A cursor over the tags of one hatch record that stops, rather than fails,
// when the tags do not follow the expected order.
class HatchCursor {
public:
    HatchCursor(const std::vector<DxfTag>& tags, std::size_t at) : tags_(tags), i_(at) {}
    bool ok() const { return ok_; }
    // The value of the next tag when it has the code; otherwise marks the
    // cursor failed and gives 0.
    double Number(int code) {
        if (!ok_ || i_ >= tags_.size() || tags_[i_].code != code) {
            ok_ = false;
            return 0;
        }
        return TagDouble(tags_[i_++]);
    }
    bool Next(int code) const { return ok_ && i_ < tags_.size() && tags_[i_].code == code; }
    void Skip() { ++i_; }

private:
    const std::vector<DxfTag>& tags_;
    std::size_t i_;
    bool ok_ = true;
};

void AddArc(std::vector<Vec3>& out, double cx, double cy, double rx, double ry, double rotation, double start,
            double end, bool counterClockwise) {
    if (!counterClockwise) {
        start = -start;
        end = -end;
    }
    while (end < start) end += 2 * kPi;
    double c = std::cos(rotation), s = std::sin(rotation);
    for (int k = 0; k < kArcSteps; ++k) {
        double a = start + (end - start) * k / kArcSteps;
        double x = rx * std::cos(a), y = ry * std::sin(a);
        if (!counterClockwise) y = -y;
        out.push_back({cx + x * c - y * s, cy + x * s + y * c, 0});
    }
}

bool ReadEdgePath(HatchCursor& cur, std::vector<Vec3>& out) {
    auto edges = static_cast<long>(cur.Number(93));
    for (long e = 0; e < edges && cur.ok(); ++e) {
        int type = static_cast<int>(cur.Number(72));
        if (type == 1) {
            double x = cur.Number(10), y = cur.Number(20);
            cur.Number(11);
            cur.Number(21);
            out.push_back({x, y, 0});
        } else if (type == 2) {
            double cx = cur.Number(10), cy = cur.Number(20), r = cur.Number(40);
            double a0 = cur.Number(50) * kPi / 180, a1 = cur.Number(51) * kPi / 180;
            bool ccw = cur.Number(73) != 0;
            AddArc(out, cx, cy, r, r, 0, a0, a1, ccw);
        } else if (type == 3) {
            double cx = cur.Number(10), cy = cur.Number(20);
            double mx = cur.Number(11), my = cur.Number(21), ratio = cur.Number(40);
            double a0 = cur.Number(50) * kPi / 180, a1 = cur.Number(51) * kPi / 180;
            bool ccw = cur.Number(73) != 0;
            double major = std::hypot(mx, my);
            AddArc(out, cx, cy, major, major * ratio, std::atan2(my, mx), a0, a1, ccw);
        } else if (type == 4) {
            cur.Number(94);
            cur.Number(73);
            cur.Number(74);
            auto knots = static_cast<long>(cur.Number(95));
            auto controls = static_cast<long>(cur.Number(96));
            for (long k = 0; k < knots && cur.ok(); ++k) cur.Number(40);
            for (long k = 0; k < controls && cur.ok(); ++k) {
                double x = cur.Number(10), y = cur.Number(20);
                out.push_back({x, y, 0});
                if (cur.Next(42)) cur.Skip();
            }
            if (cur.Next(97)) {
                auto fits = static_cast<long>(cur.Number(97));
                for (long k = 0; k < fits && cur.ok(); ++k) {
                    cur.Number(11);
                    cur.Number(21);
                }
                if (cur.Next(12)) { cur.Number(12); cur.Number(22); }
                if (cur.Next(13)) { cur.Number(13); cur.Number(23); }
            }
        } else {
            return false;
        }
    }
    return cur.ok();
}

bool ReadPolylinePath(HatchCursor& cur, std::vector<Vec3>& out) {
    bool bulges = cur.Number(72) != 0;
    cur.Number(73);
    auto n = static_cast<long>(cur.Number(93));
    for (long k = 0; k < n && cur.ok(); ++k) {
        double x = cur.Number(10), y = cur.Number(20);
        out.push_back({x, y, 0});
        if (bulges && cur.Next(42)) cur.Skip();
    }
    return cur.ok();
}

} // namespace

void ReadHatchBoundary(const std::vector<DxfTag>& tags, HatchData& hatch) {
    std::size_t start = 0;
    while (start < tags.size() && tags[start].code != 91) ++start;
    if (start == tags.size()) return;
    HatchCursor cur(tags, start);
    auto paths = static_cast<long>(cur.Number(91));
    std::vector<Vec3> path;
    bool haveExternal = false;
    for (long p = 0; p < paths && cur.ok(); ++p) {
        int flags = static_cast<int>(cur.Number(92));
        path.clear();
        bool ok = (flags & 2) ? ReadPolylinePath(cur, path) : ReadEdgePath(cur, path);
        if (!ok) break;
        if (cur.Next(97)) {
            auto sources = static_cast<long>(cur.Number(97));
            for (long k = 0; k < sources && cur.Next(330); ++k) cur.Skip();
        }
        bool external = (flags & 1) != 0;
        if (path.size() >= 2 && (hatch.boundary.empty() || (external && !haveExternal))) {
            hatch.boundary = path;
            haveExternal = external;
        }
    }
}

} // namespace ostrel::cad
