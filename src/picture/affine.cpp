// Composing, measuring and making plane affine maps.
#include "picture/affine.h"

#include <cmath>

namespace ostrel::picture {

Affine Affine::After(const Affine& p) const {
    return {a * p.a + c * p.b, b * p.a + d * p.b, a * p.c + c * p.d,
            b * p.c + d * p.d, a * p.e + c * p.f + e, b * p.e + d * p.f + f};
}

double Affine::Scale() const { return std::sqrt(std::fabs(a * d - b * c)); }

Affine Affine::Rotate(double r) {
    const double cs = std::cos(r), sn = std::sin(r);
    return {cs, sn, -sn, cs, 0, 0};
}

} // namespace ostrel::picture
