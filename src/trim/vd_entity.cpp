// Entity operations of the engine: type and layer, copy, delete, update,
// rotate, and the kind views' properties.
#include "trim/vd_entity.h"

#include <cmath>
#include <numbers>

#include "cad/entity_kinds.h"
#include "ostrel/errors.h"

namespace ostrel::trim {

using cad::Entity;
using cad::EntityType;
using cad::kNone;
using cad::Vec3;

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

[[noreturn]] void WrongKind(const char* wanted) {
    throw cad::CadError(std::string("the entity is not a ") + wanted);
}

} // namespace

Entity& vdEntity::Data() const {
    if (!store_) throw cad::CadError("object variable not set (nothing)");
    return store_->Member(at_, 0);
}

Entity& vdEntity::Edit() const {
    Data();   // raises for nothing
    return store_->Edit(at_, 0);
}

const std::string& vdEntity::TypeName() const {
    // Named once: the walks ask every entity of a drawing for its type. An
    // opened drawing holds no LWPOLYLINE (the document makes them heavy);
    // the kinds the engine has no view of are VDENTITY.
    struct Named {
        EntityType type;
        std::string name;
    };
    static const Named kNamed[] = {
        {EntityType::Polyline, "VDPOLYLINE"}, {EntityType::LwPolyline, "VDPOLYLINE"}, {EntityType::Text, "VDTEXT"},
        {EntityType::Insert, "VDINSERT"},     {EntityType::Viewport, "VDVIEWPORT"},   {EntityType::Point, "VDPOINT"},
        {EntityType::Line, "VDLINE"},         {EntityType::Circle, "VDCIRCLE"},       {EntityType::Arc, "VDARC"},
        {EntityType::Face3D, "VDFACE"},       {EntityType::Hatch, "VDHATCH"},
    };
    static const std::string other = "VDENTITY";
    const EntityType type = Data().type;
    for (const auto& n : kNamed)
        if (n.type == type) return n.name;
    return other;
}

const std::string& vdEntity::LayerName() const {
    static const std::string kZero = "0";
    const auto& e = Data();
    const auto& layers = store_->Drawing().layers;
    return e.layer < layers.size() ? layers[e.layer].name : kZero;
}

vdEntity vdEntity::Copy() const {
    Data();   // raises for nothing
    auto& d = store_->Drawing();
    EntityStore::FreeEntity copy;
    auto n = store_->MemberCount(at_);
    copy.members.reserve(n);
    for (std::uint32_t k = 0; k < n; ++k) {
        Entity c = store_->Member(at_, k);
        c.handle = d.NewHandle();
        c.flags &= static_cast<std::uint8_t>(~(cad::kEntityDeleted | cad::kEntityPaperSpace));
        cad::KindCopySide(d, c);
        if (c.type == EntityType::Viewport) d.viewports.back().id = 2;
        copy.members.push_back(c);
    }
    copy.filled = store_->IsFilled(at_);
    return vdEntity(store_, store_->AddFree(std::move(copy)));
}

void vdEntity::Delete() {
    Data();
    auto at = store_->Resolve(at_);
    if (at.block == kNone) {
        store_->Free(at).deleted = true;
        return;
    }
    if (store_->IsFilled(at)) store_->SetFill(at, false);
    auto n = store_->MemberCount(at);
    for (std::uint32_t k = 0; k < n; ++k) store_->Edit(at, k).flags |= cad::kEntityDeleted;
}

void vdEntity::Update() {
    if (Data().type == EntityType::Polyline) store_->RefreshFill(at_);
}

void vdEntity::Rotate(const std::array<double, 2>& base, double angle) {
    auto& e = Edit();
    auto& d = store_->Drawing();
    const cad::Turn turn{base[0], base[1], std::cos(angle), std::sin(angle), angle};
    cad::KindTurn(d, e, turn);
    if (e.type != EntityType::Polyline) return;
    // A polyline turns through its vertices.
    auto n = store_->VertexCountOf(at_);
    for (std::uint32_t i = 0; i < n; ++i) cad::KindTurn(d, store_->EditVertexAt(at_, i, n), turn);
}

// ------------------------------------------------------------ polyline

double VertexArray::operator()(std::int32_t vertex, std::int32_t axis) const {
    if (vertex < 0 || axis < 0 || axis > 2) throw cad::CadError("subscript out of range");
    const auto& p = store_->VertexAt(at_, static_cast<std::uint32_t>(vertex), count_).geom.vertex.pos;
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

vdPolyline::vdPolyline(const vdEntity& e) : vdEntity(e) {
    if (Data().type != EntityType::Polyline) WrongKind("polyline");
    count_ = store_->VertexCountOf(at_);
}

std::int16_t vdPolyline::VertexCount() const {
    const auto n = count_;
    if (n > 32767)
        throw ConversionError(ErrorCode::Overflow, "Overflow: a polyline of " + std::to_string(n) + " vertices");
    return static_cast<std::int16_t>(n);
}

std::int32_t vdPolyline::SetVertex(std::int16_t index, const std::array<double, 3>& point) {
    if (index < 0) throw cad::CadError("vertex index out of range");
    auto& v = store_->EditVertexAt(at_, static_cast<std::uint32_t>(index), count_).geom.vertex;
    v.pos = {point[0], point[1], point[2]};
    return 1;
}

void vdPolyline::FillMode(std::int32_t mode) { store_->SetFill(at_, mode != 0); }

std::int32_t vdPolyline::FillMode() const { return store_->IsFilled(at_) ? 1 : 0; }

// ------------------------------------------------------------ text

vdText::vdText(const vdEntity& e) : vdEntity(e) {
    if (Data().type != EntityType::Text) WrongKind("text");
}

namespace {

// A justified text is placed by its alignment point; a left-aligned one by
// its insertion point.
bool Justified(const cad::TextGeom& t) { return t.hAlign != 0 || t.vAlign != 0; }

} // namespace

std::array<double, 3> vdText::InsertionPoint() const {
    const auto& t = Data().geom.text;
    const auto& p = Justified(t) ? t.align : t.pos;
    return {p.x, p.y, p.z};
}

void vdText::InsertionPoint(const std::array<double, 3>& p) {
    auto& t = Edit().geom.text;
    const auto& anchor = Justified(t) ? t.align : t.pos;
    Vec3 delta{p[0] - anchor.x, p[1] - anchor.y, p[2] - anchor.z};
    for (Vec3* q : {&t.pos, &t.align}) {
        q->x += delta.x;
        q->y += delta.y;
        q->z += delta.z;
    }
}

double vdText::Height() const { return Data().geom.text.height; }

void vdText::Height(double h) {
    auto& t = Edit().geom.text;
    // The other point keeps its place relative to the anchor at the new size.
    const double k = t.height != 0 ? h / t.height : 1;
    Vec3& anchor = Justified(t) ? t.align : t.pos;
    Vec3& other = Justified(t) ? t.pos : t.align;
    other.x = anchor.x + (other.x - anchor.x) * k;
    other.y = anchor.y + (other.y - anchor.y) * k;
    t.height = h;
}

std::string vdText::TextString() const { return std::string(store_->Drawing().Text(Data().geom.text)); }

// ------------------------------------------------------------ insert

vdInsert::vdInsert(const vdEntity& e) : vdEntity(e) {
    if (Data().type != EntityType::Insert) WrongKind("block insert");
}

std::array<double, 3> vdInsert::InsertionPoint() const {
    const auto& p = Data().geom.insert.pos;
    return {p.x, p.y, p.z};
}

void vdInsert::InsertionPoint(const std::array<double, 3>& p) { Edit().geom.insert.pos = {p[0], p[1], p[2]}; }
double vdInsert::XScale() const { return Data().geom.insert.xScale; }
void vdInsert::XScale(double v) { Edit().geom.insert.xScale = v; }
double vdInsert::YScale() const { return Data().geom.insert.yScale; }
void vdInsert::YScale(double v) { Edit().geom.insert.yScale = v; }

// ------------------------------------------------------------ viewport

vdViewport::vdViewport(const vdEntity& e) : vdEntity(e) {
    if (Data().type != EntityType::Viewport) WrongKind("viewport");
}

cad::ViewportData& vdViewport::View() const { return store_->Drawing().viewports.at(Data().geom.extra.index); }

// The file holds the view centre in the twisted display frame (the model
// turned counter-clockwise by the twist about the target, here the origin)
// and the twist as the turn from model to display. The viewer names the
// model point at the viewport's centre, and its twist is the display's
// direction seen from the model: the opposite sign.
std::array<double, 2> vdViewport::ViewCenter() const {
    const auto& v = View();
    const double c = std::cos(v.twist), s = std::sin(v.twist);
    return {c * v.viewCenter.x + s * v.viewCenter.y, -s * v.viewCenter.x + c * v.viewCenter.y};
}

void vdViewport::ViewCenter(const std::array<double, 2>& m) {
    auto& v = View();
    const double c = std::cos(v.twist), s = std::sin(v.twist);
    v.viewCenter.x = c * m[0] - s * m[1];
    v.viewCenter.y = s * m[0] + c * m[1];
}

double vdViewport::ViewHeight() const { return View().viewHeight; }
void vdViewport::ViewHeight(double h) { View().viewHeight = h; }

std::array<double, 3> vdViewport::ViewRotation() const { return {0, 0, -View().twist / kRadiansPerDegree}; }

// A new twist keeps the model point shown at the centre.
void vdViewport::ViewRotation(const std::array<double, 3>& r) {
    const auto centre = ViewCenter();
    View().twist = -r[2] * kRadiansPerDegree;
    ViewCenter(centre);
}

std::int16_t vdViewport::ViewFlag() const { return View().viewFlag; }
void vdViewport::ViewFlag(std::int16_t flag) { View().viewFlag = flag; }

} // namespace ostrel::trim
