#pragma once
// A kind's own groups as one table: each field a group code and the member
// of the kind's geometry it holds. The table drives both directions: the
// reader takes the fields in any order (a field the record leaves out
// keeps the table's default), the writer writes them in the table's order.
#include <cstddef>
#include <cstdint>

#include "cad/dxf/dxf_kinds.h"

namespace ostrel::cad::dxf {

enum class FieldValue : std::uint8_t {
    Point,      // x, y, z as code, code + 10, code + 20
    Normal,     // a point written only when it is not (0, 0, 1)
    Real,
    Degrees,    // an angle: radians held, degrees in the file
    Subclass,   // written only: the subclass marker `name`
};

template <class G>
struct Field {
    int code = 0;
    FieldValue value = FieldValue::Real;
    Vec3 G::*point = nullptr;
    double G::*real = nullptr;
    const char* name = nullptr;
};

template <class G>
constexpr Field<G> PointField(int code, Vec3 G::*m) { return {code, FieldValue::Point, m, nullptr, nullptr}; }
template <class G>
constexpr Field<G> NormalField(int code, Vec3 G::*m) { return {code, FieldValue::Normal, m, nullptr, nullptr}; }
template <class G>
constexpr Field<G> RealField(int code, double G::*m) { return {code, FieldValue::Real, nullptr, m, nullptr}; }
template <class G>
constexpr Field<G> AngleField(int code, double G::*m) { return {code, FieldValue::Degrees, nullptr, m, nullptr}; }
template <class G>
constexpr Field<G> SubclassField(const char* name) { return {0, FieldValue::Subclass, nullptr, nullptr, name}; }

// The geometry the fields fill (Entity::geom's member), its defaults and
// the fields in the order they are written.
template <class G, std::size_t N>
struct KindFields {
    G EntityGeom::*geom;
    G defaults;
    Field<G> fields[N];
};

template <class G, std::size_t N>
void ReadFields(const DxfReadContext& ctx, Entity& e, const KindFields<G, N>& k) {
    G g = k.defaults;
    int axis;
    for (const auto& t : ctx.record)
        for (const auto& f : k.fields) {
            if (f.value == FieldValue::Point || f.value == FieldValue::Normal) {
                if (!PointCode(t.code, f.code, axis)) continue;
                SetAxis(g.*f.point, axis, t);
            } else if (f.value == FieldValue::Subclass || t.code != f.code) {
                continue;
            } else if (f.value == FieldValue::Degrees) {
                g.*f.real = TagDouble(t) * kDegree;
            } else {
                g.*f.real = TagDouble(t);
            }
            break;
        }
    e.geom.*k.geom = g;
}

template <class G, std::size_t N>
void WriteFields(WriteContext& c, const Entity& e, const KindFields<G, N>& k) {
    const G& g = e.geom.*k.geom;
    for (const auto& f : k.fields) switch (f.value) {
        case FieldValue::Subclass: c.Subclass(f.name); break;
        case FieldValue::Normal:
            if (NormalIsUp(g.*f.point)) break;
            [[fallthrough]];
        case FieldValue::Point: c.w.Point3(f.code, g.*f.point); break;
        case FieldValue::Real: c.w.Real(f.code, g.*f.real); break;
        case FieldValue::Degrees: c.w.Real(f.code, g.*f.real * kDegrees); break;
        }
}

} // namespace ostrel::cad::dxf
