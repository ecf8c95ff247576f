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

} // namespace ostrel::cad::dwg
