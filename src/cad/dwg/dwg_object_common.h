#pragma once
// Pieces shared by the object encoders: the start and the handle-stream
// start of a non-graphic object, and the name block of a table record.
#include <string_view>
#include <vector>

#include "cad/dwg/dwg_object_stream.h"

namespace ostrel::cad::dwg {

// Begins a non-graphic object and writes its reactor count.
inline BitWriter& BeginObject(ObjectStream& s, std::int16_t type, Handle handle, std::size_t reactors = 0,
                              const ObjectStream::ExtendedData* eed = nullptr) {
    BitWriter& w = s.Begin(type, handle, eed);
    w.BL(static_cast<std::int32_t>(reactors));
    if (s.R2004()) w.B(true);           // no extension dictionary
    if (s.R2013()) w.B(false);          // no data in the data store
    return w;
}

// Starts the handle stream of a non-graphic object: owner, reactors and the
// (absent) extension dictionary.
inline void ObjectHandles(ObjectStream& s, BitWriter& w, Handle owner, const std::vector<Handle>* reactors = nullptr) {
    s.StartHandles();
    w.H(kSoftPointer, owner);
    if (reactors)
        for (Handle r : *reactors) w.H(kSoftPointer, r);
    if (!s.R2004()) w.H(kHardOwner, 0);
}

// Name, "referenced" bit, xref index + 1 and xref-dependent bit of a table
// record; from R2007 one short holding the xref-dependent flag (256).
inline void RecordName(const ObjectStream& s, BitWriter& w, std::string_view name, std::int16_t dxfFlags) {
    w.TV(name);
    if (s.R2007()) {
        w.BS((dxfFlags & 16) != 0 ? 256 : 0);
        return;
    }
    w.B((dxfFlags & 64) != 0);
    w.BS(0);
    w.B((dxfFlags & 16) != 0);
}

} // namespace ostrel::cad::dwg
