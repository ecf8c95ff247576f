#pragma once
// A plane affine map, from drawing units to a surface's units.
namespace ostrel::picture {

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    void Apply(double x, double y, double& ox, double& oy) const {
        ox = a * x + c * y + e;
        oy = b * x + d * y + f;
    }
    // This map after `first` (first applied to a point, then this).
    Affine After(const Affine& first) const;
    double Scale() const;   // the length one drawing unit becomes (mean of the axes)
    static Affine Translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine Rotate(double radians);
    static Affine Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
};

} // namespace ostrel::picture
