#pragma once
// Entities of the trim pass's drawing engine, with the viewer's operation
// names. A vdEntity names one entity of an open document: a member of a
// block's entity list, or a free entity made by Copy and not yet added to a
// list. Type views (vdPolyline, vdText, vdInsert, vdViewport) give the
// operations of one kind and refuse an entity of another kind.
#include <array>
#include <cstdint>
#include <string>

#include "cad/drawing.h"
#include "trim/entity_store.h"

namespace ostrel::trim {

class vdEntity {
public:
    vdEntity() = default;   // "nothing"
    vdEntity(EntityStore* store, EntityLocation at) : store_(store), at_(at) {}

    explicit operator bool() const { return store_ != nullptr; }

    // "VDPOLYLINE", "VDTEXT", "VDINSERT", "VDVIEWPORT", "VDPOINT", "VDLINE",
    // "VDCIRCLE", "VDARC", "VDFACE", "VDHATCH".
    const std::string& TypeName() const;
    // The layer's name, valid while no layer is added to the drawing.
    const std::string& LayerName() const;
    // An independent copy with handles of its own, in no list until added.
    vdEntity Copy() const;
    // Removes the entity (a polyline with its vertices and its fill).
    void Delete();
    // Recomputes what depends on the entity's geometry (a polyline's fill).
    void Update();
    // Rotates about (baseX, baseY) by angle radians, counter-clockwise.
    void Rotate(const std::array<double, 2>& base, double angle);

    // The database entity (for tests and the engine itself).
    cad::Entity& Data() const;
    EntityLocation Location() const { return at_; }

protected:
    // The database entity for changing it (the store keeps it for a rollback).
    cad::Entity& Edit() const;

    EntityStore* store_ = nullptr;
    EntityLocation at_;
};

// Live view of a polyline's vertex coordinates: (i, 0) is x of vertex i,
// (i, 1) y, (i, 2) z. Reads the vertices as they are at the moment of reading.
class VertexArray {
public:
    VertexArray(EntityStore* store, EntityLocation at, std::uint32_t count) : store_(store), at_(at), count_(count) {}
    double operator()(std::int32_t vertex, std::int32_t axis) const;

private:
    EntityStore* store_;
    EntityLocation at_;
    std::uint32_t count_;
};

// A polyline's vertices are counted once, when the view is made: no
// operation adds or removes vertices.
class vdPolyline : public vdEntity {
public:
    explicit vdPolyline(const vdEntity& e);
    // 16-bit count: a polyline of more than 32767 vertices raises an overflow error.
    std::int16_t VertexCount() const;
    VertexArray Vertices() const { return VertexArray(store_, at_, count_); }
    std::int32_t SetVertex(std::int16_t index, const std::array<double, 3>& point);
    // 1 fills the polyline (a solid hatch bounded by it), 0 removes the fill.
    void FillMode(std::int32_t mode);
    std::int32_t FillMode() const;

private:
    std::uint32_t count_ = 0;
};

class vdText : public vdEntity {
public:
    explicit vdText(const vdEntity& e);
    // The text's anchor: its insertion point, or its alignment point when the
    // text is justified. Setting it moves the whole text.
    std::array<double, 3> InsertionPoint() const;
    void InsertionPoint(const std::array<double, 3>& p);
    double Height() const;
    // Scales the text about its anchor.
    void Height(double h);
    std::string TextString() const;
};

class vdInsert : public vdEntity {
public:
    explicit vdInsert(const vdEntity& e);
    std::array<double, 3> InsertionPoint() const;
    void InsertionPoint(const std::array<double, 3>& p);
    double XScale() const;
    void XScale(double v);
    double YScale() const;
    void YScale(double v);
};

class vdViewport : public vdEntity {
public:
    explicit vdViewport(const vdEntity& e);
    // The model point (x, y) shown at the viewport's centre.
    std::array<double, 2> ViewCenter() const;
    void ViewCenter(const std::array<double, 2>& c);
    double ViewHeight() const;
    void ViewHeight(double h);
    // Elements 0 and 1 are not held by the drawing and read as 0; element 2
    // is the view twist in degrees, the viewer's way round: -r shows a model
    // turned by -r upright (the file holds +r radians).
    std::array<double, 3> ViewRotation() const;
    void ViewRotation(const std::array<double, 3>& r);
    std::int16_t ViewFlag() const;
    void ViewFlag(std::int16_t flag);
    cad::ViewportData& View() const;
};

} // namespace ostrel::trim
