// Entity lists: count, the First/Next cursor, and the operations that add
// entities to a list.
#include "trim/vd_entities.h"


namespace ostrel::trim {

using cad::Entity;
using cad::EntityType;
using cad::kNone;

std::int32_t vdEntities::Count() const {
    if (block_ == kNone) return 0;
    const auto& list = store_->Drawing().blocks.at(block_).entities;
    std::int32_t n = 0;
    for (std::uint32_t pos = 0; pos < list.size(); ++pos)
        if (store_->Listed(block_, pos)) ++n;
    return n;
}

vdEntity vdEntities::First() {
    if (block_ == kNone) return {};
    auto& cur = store_->CursorOf(block_);
    cur.pos = 0;
    cur.end = static_cast<std::uint32_t>(store_->Drawing().blocks.at(block_).entities.size());
    return Next();
}

vdEntity vdEntities::Next() {
    if (block_ == kNone) return {};
    auto& cur = store_->CursorOf(block_);
    while (cur.pos < cur.end) {
        auto pos = cur.pos++;
        if (store_->Listed(block_, pos)) return vdEntity(store_, EntityLocation{block_, pos});
    }
    return {};
}

std::int32_t vdEntities::AddEntity(const vdEntity& e) {
    if (block_ == kNone) throw cad::CadError("no drawing is open");
    if (!e) throw cad::CadError("object variable not set (nothing)");
    auto at = store_->Resolve(e.Location());
    if (at.block != kNone) {
        // Already in a list: a copy of it goes into this one.
        AddEntity(e.Copy());
        return 1;
    }
    auto& f = store_->Free(at);
    if (f.deleted) throw cad::CadError("the entity was deleted");
    bool filled = f.filled;
    auto placed = store_->AppendMembers(block_, f.members);
    f.placed = placed;
    f.members.clear();
    f.members.shrink_to_fit();
    if (filled) store_->SetFill(placed, true);
    return 1;
}

vdEntity vdEntities::AddPolyline(const std::vector<double>& xyz) {
    if (block_ == kNone) throw cad::CadError("no drawing is open");
    if (xyz.size() % 3 != 0 || xyz.size() < 6)
        throw cad::CadError("a polyline needs x, y, z triples for at least two points");
    auto& d = store_->Drawing();
    bool flat = true;
    for (std::size_t i = 5; i < xyz.size(); i += 3)
        if (xyz[i] != xyz[2]) flat = false;
    std::vector<Entity> members;
    members.reserve(xyz.size() / 3 + 2);
    Entity poly;
    poly.type = EntityType::Polyline;
    poly.handle = d.NewHandle();
    poly.layer = store_->DefaultLayer();
    poly.geom.polyline = cad::PolylineGeom{0, 0, flat ? xyz[2] : 0.0, static_cast<std::int16_t>(flat ? 0 : 8)};
    members.push_back(poly);
    for (std::size_t i = 0; i < xyz.size(); i += 3) {
        Entity v;
        v.type = EntityType::Vertex;
        v.handle = d.NewHandle();
        v.layer = poly.layer;
        v.geom.vertex = cad::VertexGeom{{xyz[i], xyz[i + 1], xyz[i + 2]}, 0, 0, 0,
                                        static_cast<std::int16_t>(flat ? 0 : 32), 0};
        members.push_back(v);
    }
    Entity end;
    end.type = EntityType::SeqEnd;
    end.handle = d.NewHandle();
    end.layer = poly.layer;
    members.push_back(end);
    return vdEntity(store_, store_->AppendMembers(block_, members));
}

vdEntity vdEntities::AddViewport(const std::array<double, 2>& centre, double width, double height) {
    if (block_ == kNone) throw cad::CadError("no drawing is open");
    auto& d = store_->Drawing();
    // Viewport ids are numbered within the layout; 1 is the layout's own.
    std::int16_t id = 2;
    for (auto idx : d.blocks.at(block_).entities) {
        const auto& e = d.entities[idx];
        if (e.type == EntityType::Viewport && e.geom.extra.index < d.viewports.size() &&
            d.viewports[e.geom.extra.index].id >= id)
            id = static_cast<std::int16_t>(d.viewports[e.geom.extra.index].id + 1);
    }
    cad::ViewportData v;
    v.center = {centre[0], centre[1], 0};
    v.width = width;
    v.height = height;
    v.viewCenter = v.center;
    v.viewHeight = height;
    v.id = id;
    Entity e;
    e.type = EntityType::Viewport;
    e.handle = d.NewHandle();
    e.layer = store_->DefaultLayer();
    e.geom.extra.index = static_cast<std::uint32_t>(d.viewports.size());
    d.viewports.push_back(v);
    return vdEntity(store_, store_->AppendMembers(block_, {e}));
}

vdEntity vdEntities::PlaceString(std::string_view text, const std::array<double, 3>& point, double size) {
    if (block_ == kNone) throw cad::CadError("no drawing is open");
    auto& d = store_->Drawing();
    Entity e;
    e.type = EntityType::Text;
    e.handle = d.NewHandle();
    e.layer = store_->DefaultLayer();
    cad::TextGeom t{};
    t.pos = {point[0], point[1], point[2]};
    t.align = t.pos;
    t.height = size / kStringUnitsPerHeight;
    t.widthFactor = 1;
    auto style = d.FindStyle("Standard");
    t.style = style == kNone ? 0 : style;
    d.SetText(t, text);
    e.geom.text = t;
    return vdEntity(store_, store_->AppendMembers(block_, {e}));
}

} // namespace ostrel::trim
