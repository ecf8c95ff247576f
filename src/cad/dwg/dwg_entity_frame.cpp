#include "cad/dwg/dwg_entity_frame.h"

#include "cad/dwg/dwg_format.h"

namespace ostrel::cad::dwg {

EntityStart BeginEntity(ObjectStream& s, const EncodeContext& c, std::int16_t type, const Entity& e,
                        const EntityLinks& l) {
    BitWriter& w = s.Begin(type, e.handle);
    w.B(false);                                 // no graphic image
    w.BB(l.mode);
    w.BL(0);                                    // reactors
    if (s.R2004()) w.B(true);                   // no extension dictionary
    if (s.R2013()) w.B(false);                  // no data in the data store
    // R2004 and later keep no links to the neighbours (and no bit saying so).
    bool noLinks = s.R2004() || (l.prev != 0 && l.next != 0 && l.prev + 1 == e.handle && l.next == e.handle + 1);
    if (!s.R2004()) w.B(noLinks);
    std::int16_t colour = (e.colour < 0 || e.colour > 256) ? kColourByLayer : e.colour;
    w.BS(colour);                               // an index alone, in every release
    w.BD(1.0);                                  // linetype scale
    unsigned ltFlags = c.LinetypeFlags(e.linetype);
    w.BB(ltFlags);
    w.BB(0);                                    // plot style by layer
    if (s.R2007()) {
        w.BB(0);                                // material by layer
        w.RC(0);                                // shadows cast and received
    }
    if (s.R2010()) w.Bits(0, 3);                // no visual styles
    w.BS((e.flags & kEntityInvisible) ? 1 : 0);
    w.RC(29);                                   // lineweight by layer
    return {w, ltFlags, noLinks};
}

void EntityHandles(ObjectStream& s, const EncodeContext& c, const EntityStart& st, const Entity& e,
                   const EntityLinks& l) {
    BitWriter& w = st.w;
    s.StartHandles();
    if (l.mode == 0) w.H(kSoftPointer, l.owner);
    if (!s.R2004()) w.H(kHardOwner, 0);         // no extension dictionary
    if (!st.noLinks) {
        w.H(kSoftPointer, l.prev);
        w.H(kSoftPointer, l.next);
    }
    w.H(kHardPointer, c.LayerHandle(e.layer, e.handle));
    if (st.ltFlags == 3) w.H(kHardPointer, c.LinetypeHandle(e.linetype, e.handle));
}

EntityCommon ReadEntityCommon(BitReader& r, Release release) {
    const bool r2004 = release >= Release::R2004;
    EntityCommon c;
    if (r.B()) {                            // a graphic image: skip it (its size a BLL from R2010)
        const std::uint64_t size = release >= Release::R2010 ? r.BLL() : r.RL();
        r.RequireItems(size, 8, "image bytes");
        r.Skip(static_cast<std::size_t>(size) * 8);
    }
    c.mode = r.BB();
    c.reactors = r.BL();
    if (c.reactors < 0) r.Fail("an entity has a negative reactor count");
    if (r2004) c.xdicMissing = r.B();
    if (release >= Release::R2013) r.B();   // data in the data store
    c.noLinks = r2004 || r.B();             // R2004 and later: no links, no bit
    if (r2004) {                            // index with flags: transparency, colour book handle or RGB, names
        const auto v = static_cast<std::uint16_t>(r.BS());
        c.colour = static_cast<std::int16_t>(v & 0x1FF);
        if (v & 0x2000) r.BL();
        c.colourHandle = (v & 0x4000) != 0;
        if (!c.colourHandle && (v & 0x8000)) r.BL();
        if ((v & 0x4100) == 0x4100) r.TV();
        if ((v & 0x4200) == 0x4200) r.TV();
    } else {
        c.colour = r.CMC();
    }
    r.BD();                                 // linetype scale
    c.ltFlags = r.BB();
    c.psFlags = r.BB();
    if (release >= Release::R2007) {
        c.materialFlags = r.BB();
        r.RC();                             // shadows
    }
    if (release >= Release::R2010) c.visualStyles = r.B() + r.B() + r.B();
    c.invisible = (r.BS() & 1) != 0;
    r.RC();                                 // lineweight
    return c;
}

void ReadEntityHandles(BitReader& h, const EntityCommon& c, Handle self, DecodedEntity& de) {
    if (c.mode == 0) de.owner = h.H().Resolve(self);
    h.RequireItems(static_cast<std::uint64_t>(c.reactors), 8, "reactors");
    for (std::int32_t i = 0; i < c.reactors; ++i) h.H();
    if (!c.xdicMissing) h.H();              // extension dictionary
    if (!c.noLinks) {
        h.H();
        h.H();
    }
    if (c.colourHandle) h.H();
    de.layer = h.H().Resolve(self);
    if (c.ltFlags == 3) de.linetype = h.H().Resolve(self);
    if (c.materialFlags == 3) h.H();
    if (c.psFlags == 3) h.H();
    for (unsigned i = 0; i < c.visualStyles; ++i) h.H();
}

} // namespace ostrel::cad::dwg
