#include "cad/dwg/dwg_object_decoder.h"

#include <cmath>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_lwpolyline.h"
#include "cad/dwg/dwg_type_names.h"

namespace ostrel::cad::dwg {

namespace {

// The two streams of one object: data up to the handle stream, then handles.
struct ObjectStreams {
    BitReader data;
    BitReader handles;
    BitReader text;             // R2007 and later: the strings at the data's end
    Handle self = 0;
    Release release = Release::R2000;
    bool r2004 = false;         // R2004 and later
    bool r2007 = false;         // R2007 and later
    bool xdicMissing = false;   // R2004 and later: no extension dictionary handle
};

struct EntityCommon {
    unsigned mode = 0;
    std::int32_t reactors = 0;
    bool noLinks = false;
    bool xdicMissing = false;
    bool colourHandle = false;
    std::int16_t colour = kColourByLayer;
    unsigned ltFlags = 0, psFlags = 0, materialFlags = 0, visualStyles = 0;
    bool invisible = false;
};

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

// Reads the common entity handles; fills owner, layer and linetype.
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

std::int32_t ReadReactorCount(ObjectStreams& s) {
    std::int32_t n = s.data.BL();
    if (n < 0) s.data.Fail("an object has a negative reactor count");
    if (s.r2004) s.xdicMissing = s.data.B();
    if (s.release >= Release::R2013) s.data.B();    // data in the data store
    return n;
}

// Owner, reactors and extension dictionary of a non-graphic object.
Handle ReadObjectHandles(ObjectStreams& s, std::int32_t reactors, Handle self, std::vector<Handle>* keep = nullptr) {
    BitReader& h = s.handles;
    Handle owner = h.H().Resolve(self);
    h.RequireItems(static_cast<std::uint64_t>(reactors), 8, "reactors");
    for (std::int32_t i = 0; i < reactors; ++i) {
        Handle r = h.H().Resolve(self);
        if (keep) keep->push_back(r);
    }
    if (!s.xdicMissing) h.H();              // extension dictionary
    return owner;
}

struct RecordHead {
    std::string name;
    std::int16_t flags = 0;
};

RecordHead ReadRecordName(ObjectStreams& s) {
    BitReader& r = s.data;
    RecordHead head;
    head.name = r.TV();
    if (s.r2007) {                          // one short: 256 for xref-dependent
        if (r.BS() & 256) head.flags |= 16;
        return head;
    }
    if (r.B()) head.flags |= 64;
    r.BS();
    if (r.B()) head.flags |= 16;
    return head;
}

void Control(ObjectStreams& s, std::int16_t type, DecodedObjects& out) {
    std::int32_t reactors = ReadReactorCount(s);
    std::int32_t n = s.data.BL();
    if (n < 0) s.data.Fail("a table has a negative entry count");
    if (type == kTypeDimstyleControl) s.data.RC();
    DecodedControl c;
    ReadObjectHandles(s, reactors, s.self);
    s.handles.RequireItems(static_cast<std::uint64_t>(n), 8, "table entries");
    c.entries.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) c.entries.push_back(s.handles.H().Resolve(s.self));
    if (type == kTypeBlockControl || type == kTypeLtypeControl)
        for (int i = 0; i < 2 && s.handles.BitsLeft() >= 8; ++i) c.extra.push_back(s.handles.H().Resolve(s.self));
    out.controls[s.self] = std::move(c);
}

void LayerRecord(ObjectStreams& s, DecodedObjects& out) {
    std::int32_t reactors = ReadReactorCount(s);
    DecodedLayer dl;
    Layer& l = dl.layer;
    l.handle = s.self;
    auto head = ReadRecordName(s);
    l.name = head.name;
    std::int16_t values = s.data.BS();
    std::int16_t flags = head.flags;
    if (values & 1) flags |= 1;
    if (values & 4) flags |= 2;
    if (values & 8) flags |= 4;
    l.flags = flags;
    l.off = (values & 2) != 0;
    l.plot = (values & 16) != 0;
    l.lineweight = LineweightFromIndex((static_cast<std::uint16_t>(values) & 0x3E0) >> 5);
    std::int16_t colour = s.data.CMC();
    if (colour < 0) {
        l.off = true;
        colour = static_cast<std::int16_t>(-colour);
    }
    l.colour = colour;
    ReadObjectHandles(s, reactors, s.self);
    s.handles.H();                          // xref block
    l.plotStyle = s.handles.H().Resolve(s.self);
    if (s.r2007) s.handles.H();             // material
    dl.linetype = s.handles.H().Resolve(s.self);
    out.layers[s.self] = std::move(dl);
}

void LinetypeRecord(ObjectStreams& s, DecodedObjects& out) {
    ReadReactorCount(s);
    Linetype lt;
    lt.handle = s.self;
    auto head = ReadRecordName(s);
    lt.name = head.name;
    lt.flags = head.flags;
    lt.description = s.data.TV();
    lt.patternLength = s.data.BD();
    lt.alignment = s.data.RC();
    unsigned dashes = s.data.RC();
    for (unsigned i = 0; i < dashes; ++i) {
        lt.dashes.push_back(s.data.BD());
        s.data.BS();
        s.data.RD();
        s.data.RD();
        s.data.BD();
        s.data.BD();
        s.data.BS();
    }
    out.linetypes[s.self] = std::move(lt);
}

void StyleRecord(ObjectStreams& s, DecodedObjects& out) {
    ReadReactorCount(s);
    TextStyle st;
    st.handle = s.self;
    auto head = ReadRecordName(s);
    st.name = head.name;
    st.flags = head.flags;
    if (s.data.B()) st.flags |= 1;          // shape file
    if (s.data.B()) st.flags |= 4;          // vertical
    st.height = s.data.BD();
    st.widthFactor = s.data.BD();
    st.oblique = s.data.BD();
    st.generation = s.data.RC();
    st.lastHeight = s.data.BD();
    st.font = s.data.TV();
    st.bigFont = s.data.TV();
    out.styles[s.self] = std::move(st);
}

void SimpleTableRecord(ObjectStreams& s, DecodedObjects& out) {
    ReadReactorCount(s);
    auto head = ReadRecordName(s);
    out.simple[s.self] = SimpleRecord{head.name, s.self, head.flags};
}

void ViewRecord(ObjectStreams& s, DecodedObjects& out) {
    ReadReactorCount(s);
    auto head = ReadRecordName(s);
    for (int i = 0; i < 2; ++i) s.data.BD();
    s.data.RD();
    s.data.RD();
    s.data.BD3();
    s.data.BD3();
    for (int i = 0; i < 4; ++i) s.data.BD();
    s.data.Bits(4);
    s.data.RC();
    if (s.r2007) {                          // lighting
        s.data.B();
        s.data.RC();
        s.data.BD();
        s.data.BD();
        s.data.CMC();
    }
    if (s.data.B()) head.flags |= 1;        // paper space view
    out.simple[s.self] = SimpleRecord{head.name, s.self, head.flags};
}

void VportRecordDecode(ObjectStreams& s, DecodedObjects& out) {
    ReadReactorCount(s);
    VportRecord v;
    v.handle = s.self;
    v.name = ReadRecordName(s).name;
    v.viewHeight = s.data.BD();
    double width = s.data.BD();
    v.aspect = v.viewHeight != 0 ? width / v.viewHeight : 0.0;
    v.viewCenter.x = s.data.RD();
    v.viewCenter.y = s.data.RD();
    out.vports[s.self] = std::move(v);
}

void BlockHeader(ObjectStreams& s, DecodedObjects& out) {
    std::int32_t reactors = ReadReactorCount(s);
    DecodedBlockHeader b;
    b.record.handle = s.self;
    b.record.name = ReadRecordName(s).name;
    std::int16_t flags = 0;
    if (s.data.B()) flags |= 1;             // anonymous
    if (s.data.B()) flags |= 2;             // attribute definitions
    bool xref = s.data.B();
    bool overlaid = s.data.B();
    if (xref) flags |= 4;
    if (overlaid) flags |= 8;
    s.data.B();                             // loaded
    std::int32_t owned = 0;
    if (s.r2004 && !xref && !overlaid) {
        owned = s.data.BL();
        if (owned < 0) s.data.Fail("a block has a negative entity count");
    }
    b.record.flags = flags;
    b.record.base = s.data.BD3();
    s.data.TV();                            // xref path
    unsigned inserts = 0;
    while (s.data.RC() != 0) ++inserts;
    s.data.TV();                            // description
    std::int32_t preview = s.data.BL();
    if (preview < 0) s.data.Fail("a block has a negative preview size");
    s.data.RequireItems(static_cast<std::uint64_t>(preview), 8, "preview bytes");
    ReadObjectHandles(s, reactors, s.self);
    s.handles.H();                          // xref block
    b.blockEntity = s.handles.H().Resolve(s.self);
    if (s.r2004) {
        s.handles.RequireItems(static_cast<std::uint64_t>(owned), 8, "block entities");
        for (std::int32_t i = 0; i < owned; ++i) s.handles.H();
    } else if (!xref && !overlaid) {
        s.handles.H();                      // first entity
        s.handles.H();                      // last entity
    }
    b.endEntity = s.handles.H().Resolve(s.self);
    for (unsigned i = 0; i < inserts; ++i) s.handles.H();
    b.record.layout = s.handles.H().Resolve(s.self);
    out.blocks[s.self] = std::move(b);
}

void Dictionary(ObjectStreams& s, bool withDefault, std::uint64_t offset, DecodedObjects& out) {
    Object o;
    o.type = withDefault ? ObjectType::DictionaryWithDefault : ObjectType::Dictionary;
    o.handle = s.self;
    std::int32_t reactors = ReadReactorCount(s);
    std::int32_t n = s.data.BL();
    if (n < 0) s.data.Fail("a dictionary has a negative entry count");
    s.data.RequireItems(static_cast<std::uint64_t>(n), 2, "dictionary entries");
    o.cloning = s.data.BS();
    o.hardOwner = s.data.RC() != 0;
    o.entries.resize(static_cast<std::size_t>(n));
    for (auto& e : o.entries) e.name = s.data.TV();
    o.owner = ReadObjectHandles(s, reactors, s.self, &o.reactors);
    for (auto& e : o.entries) e.target = s.handles.H().Resolve(s.self);
    if (withDefault) o.defaultEntry = s.handles.H().Resolve(s.self);
    out.objects.emplace_back(offset, std::move(o));
}

void LayoutObject(ObjectStreams& s, std::uint64_t offset, DecodedObjects& out) {
    Object o;
    o.type = ObjectType::Layout;
    o.handle = s.self;
    o.layout = std::make_shared<LayoutData>();
    LayoutData& l = *o.layout;
    BitReader& r = s.data;
    std::int32_t reactors = ReadReactorCount(s);
    l.pageSetupName = r.TV();
    l.printerName = r.TV();
    l.plotFlags = r.BS();
    for (int i = 0; i < 4; ++i) r.BD();     // margins
    l.paperWidth = r.BD();
    l.paperHeight = r.BD();
    l.paperName = r.TV();
    r.BD();
    r.BD();                                 // plot origin
    r.BS();
    r.BS();
    r.BS();                                 // units, rotation, plot type
    for (int i = 0; i < 4; ++i) r.BD();     // window
    if (!s.r2004) r.TV();                   // plot view name
    r.BD();
    r.BD();                                 // real world and drawing units
    r.TV();                                 // style sheet
    r.BS();                                 // scale type
    r.BD();                                 // scale factor
    r.BD();
    r.BD();                                 // paper image origin
    if (s.r2004) for (int i = 0; i < 3; ++i) r.BS();   // shade plot mode, resolution, dpi
    l.name = r.TV();
    l.tabOrder = static_cast<std::int16_t>(r.BL());
    l.layoutFlags = r.BS();
    r.BD3();                                // UCS origin
    l.limMin[0] = r.RD();
    l.limMin[1] = r.RD();
    l.limMax[0] = r.RD();
    l.limMax[1] = r.RD();
    l.insBase = r.BD3();
    r.BD3();
    r.BD3();                                // UCS axes
    r.BD();
    r.BS();
    l.extMin = r.BD3();
    l.extMax = r.BD3();
    o.owner = ReadObjectHandles(s, reactors, s.self, &o.reactors);
    if (s.r2004) s.handles.H();             // plot view
    if (s.r2007) s.handles.H();             // visual style
    l.blockRecord = s.handles.H().Resolve(s.self);
    l.lastViewport = s.handles.H().Resolve(s.self);
    out.objects.emplace_back(offset, std::move(o));
}

void PlainObject(ObjectStreams& s, ObjectType type, std::uint64_t offset, DecodedObjects& out) {
    Object o;
    o.type = type;
    o.handle = s.self;
    std::int32_t reactors = ReadReactorCount(s);
    if (type == ObjectType::MLineStyle) o.name = s.data.TV();
    if (type == ObjectType::XRecord) {
        std::int32_t bytes = s.data.BL();
        if (bytes < 0) s.data.Fail("a record has a negative size");
        s.data.RequireItems(static_cast<std::uint64_t>(bytes), 8, "record bytes");
        s.data.Skip(static_cast<std::size_t>(bytes) * 8);
        if (s.data.BitsLeft() >= 2) o.cloning = s.data.BS();
    }
    o.owner = ReadObjectHandles(s, reactors, s.self, &o.reactors);
    out.objects.emplace_back(offset, std::move(o));
}

// DICTIONARYVAR: a schema byte and the value; SCALE: flags, name, paper and
// drawing units, whether it is the 1:1 scale.
void SettingObject(ObjectStreams& s, ObjectType type, std::uint64_t offset, DecodedObjects& out) {
    Object o;
    o.type = type;
    o.handle = s.self;
    std::int32_t reactors = ReadReactorCount(s);
    if (type == ObjectType::DictionaryVar) {
        s.data.RC();
        o.value = s.data.TV();
    } else {
        s.data.BS();
        o.name = s.data.TV();
        o.paperUnits = s.data.BD();
        o.drawingUnits = s.data.BD();
        o.unitScale = s.data.B();
    }
    o.owner = ReadObjectHandles(s, reactors, s.self, &o.reactors);
    out.objects.emplace_back(offset, std::move(o));
}

// ------------------------------------------------------------ entities

void Text(BitReader& r, DecodedObjects& out, TextGeom& t) {
    std::uint8_t flags = r.RC();
    double elevation = (flags & 0x01) ? 0.0 : r.RD();
    t.pos.x = r.RD();
    t.pos.y = r.RD();
    t.pos.z = elevation;
    t.align = {0, 0, 0};
    if (!(flags & 0x02)) {
        t.align.x = r.DD(t.pos.x);
        t.align.y = r.DD(t.pos.y);
        t.align.z = elevation;
    }
    r.BE();
    r.BT();
    t.oblique = (flags & 0x04) ? 0.0 : r.RD();
    t.rotation = (flags & 0x08) ? 0.0 : r.RD();
    t.height = r.RD();
    t.widthFactor = (flags & 0x10) ? 1.0 : r.RD();
    std::string value = r.TV();
    t.textOffset = static_cast<std::uint32_t>(out.textPool.size());
    t.textLength = static_cast<std::uint32_t>(value.size());
    out.textPool.append(value);
    if (!(flags & 0x20)) r.BS();            // generation
    t.hAlign = (flags & 0x40) ? 0 : static_cast<std::uint8_t>(r.BS());
    t.vAlign = (flags & 0x80) ? 0 : static_cast<std::uint8_t>(r.BS());
    t.style = kNone;
}

// The attributes an INSERT owns are read past: their ATTRIB entities and
// SEQEND are not kept (counted as not read where they are met).
void Insert(BitReader& r, InsertGeom& g, bool multiple, bool r2004) {
    g.pos = r.BD3();
    switch (r.BB()) {
    case 3: g.xScale = g.yScale = g.zScale = 1.0; break;
    case 1:
        g.xScale = 1.0;
        g.yScale = r.DD(1.0);
        g.zScale = r.DD(1.0);
        break;
    case 2: g.xScale = g.yScale = g.zScale = r.RD(); break;
    default:
        g.xScale = r.RD();
        g.yScale = r.DD(g.xScale);
        g.zScale = r.DD(g.xScale);
        break;
    }
    g.rotation = r.BD();
    r.BD3();                                // extrusion
    if (r.B() && r2004) {                   // attributes, and from R2004 their count
        const std::int32_t owned = r.BL();
        if (owned < 0) r.Fail("expected the count of an INSERT's attributes, found " + std::to_string(owned));
    }
    g.columns = g.rows = 1;
    g.columnSpacing = g.rowSpacing = 0;
    if (multiple) {
        g.columns = r.BS();
        g.rows = r.BS();
        g.columnSpacing = r.BD();
        g.rowSpacing = r.BD();
    }
    g.block = kNone;
}

void Face(BitReader& r, FaceGeom& f, std::int16_t& invisibleEdges) {
    bool noFlags = r.B();
    bool zZero = r.B();
    f.corner[0].x = r.RD();
    f.corner[0].y = r.RD();
    f.corner[0].z = zZero ? 0.0 : r.RD();
    for (int i = 1; i < 4; ++i) {
        f.corner[i].x = r.DD(f.corner[i - 1].x);
        f.corner[i].y = r.DD(f.corner[i - 1].y);
        f.corner[i].z = r.DD(f.corner[i - 1].z);
    }
    invisibleEdges = noFlags ? 0 : r.BS();
}

ViewportData Viewport(BitReader& r, std::int32_t& frozenLayers, bool r2007) {
    ViewportData v;
    v.center = r.BD3();
    v.width = r.BD();
    v.height = r.BD();
    v.viewTarget = r.BD3();
    v.viewDirection = r.BD3();
    v.twist = r.BD();
    v.viewHeight = r.BD();
    v.lensLength = r.BD();
    r.BD();
    r.BD();
    r.BD();                                 // clips, snap angle
    v.viewCenter.x = r.RD();
    v.viewCenter.y = r.RD();
    for (int i = 0; i < 6; ++i) r.RD();     // snap base, snap spacing, grid spacing
    r.BS();                                 // circle zoom
    if (r2007) r.BS();                      // major grid lines
    frozenLayers = r.BL();
    if (frozenLayers < 0) r.Fail("a viewport has a negative frozen-layer count");
    v.statusFlags = r.BL();
    v.status = (v.statusFlags & 0x20000) ? 0 : 1;
    v.viewFlag = 0;
    return v;
}

HatchData Hatch(BitReader& r, bool r2004) {
    HatchData h;
    if (r2004) {                            // gradient
        r.BL();
        r.BL();
        r.BD();
        r.BD();
        r.BL();
        r.BD();
        std::int32_t colours = r.BL();
        if (colours < 0) r.Fail("a hatch has a negative gradient colour count");
        r.RequireItems(static_cast<std::uint64_t>(colours), 40, "gradient colours");
        for (std::int32_t i = 0; i < colours; ++i) {
            r.BD();
            r.BS();
            r.BL();
            r.RC();
        }
        r.TV();
    }
    h.elevation = r.BD();
    r.BD3();
    h.pattern = r.TV();
    h.solid = r.B();
    r.B();                                  // associative
    std::int32_t paths = r.BL();
    if (paths < 0) r.Fail("a hatch has a negative path count");
    r.RequireItems(static_cast<std::uint64_t>(paths), 8, "hatch paths");
    for (std::int32_t p = 0; p < paths; ++p) {
        std::int32_t pathFlags = r.BL();
        if (pathFlags & 2) {
            bool bulges = r.B();
            r.B();                          // closed
            std::int32_t n = r.BL();
            if (n < 0) r.Fail("a hatch path has a negative point count");
            r.RequireItems(static_cast<std::uint64_t>(n), 128, "hatch points");
            for (std::int32_t i = 0; i < n; ++i) {
                Vec3 pt{r.RD(), r.RD(), 0};
                if (bulges) r.BD();
                if (p == 0) h.boundary.push_back(pt);
            }
        } else {
            std::int32_t segs = r.BL();
            if (segs < 0) r.Fail("a hatch path has a negative segment count");
            r.RequireItems(static_cast<std::uint64_t>(segs), 8, "hatch segments");
            for (std::int32_t i = 0; i < segs; ++i) {
                switch (r.RC()) {
                case 1: {
                    Vec3 a{r.RD(), r.RD(), 0};
                    r.RD();
                    r.RD();
                    if (p == 0) h.boundary.push_back(a);
                    break;
                }
                case 2: r.RD(); r.RD(); r.BD(); r.BD(); r.BD(); r.B(); break;
                case 3: r.RD(); r.RD(); r.RD(); r.RD(); r.BD(); r.BD(); r.BD(); r.B(); break;
                default: r.Fail("a hatch edge type is not supported");
                }
            }
        }
        std::int32_t boundaryObjects = r.BL();
        if (boundaryObjects < 0) r.Fail("a hatch has a negative boundary object count");
    }
    return h;
}

void DecodeEntity(ObjectStreams& s, std::int16_t type, std::uint64_t offset, DecodedObjects& out) {
    EntityCommon c = ReadEntityCommon(s.data, s.release);
    DecodedEntity de;
    de.offset = offset;
    de.mode = c.mode;
    Entity& e = de.e;
    e.handle = s.self;
    e.colour = c.colour;
    if (c.invisible) e.flags |= kEntityInvisible;
    de.linetypeFlags = c.ltFlags;
    BitReader& r = s.data;
    EntityGeom& g = e.geom;
    std::int32_t frozenLayers = 0;
    switch (type) {
    case kTypePoint:
        e.type = EntityType::Point;
        g.point.pos = r.BD3();
        break;
    case kTypeLine: {
        e.type = EntityType::Line;
        bool zZero = r.B();
        auto& a = g.line.start;
        auto& b = g.line.end;
        a.x = r.RD();
        b.x = r.DD(a.x);
        a.y = r.RD();
        b.y = r.DD(a.y);
        a.z = b.z = 0;
        if (!zZero) {
            a.z = r.RD();
            b.z = r.DD(a.z);
        }
        break;
    }
    case kTypeCircle:
        e.type = EntityType::Circle;
        g.circle.center = r.BD3();
        g.circle.radius = r.BD();
        break;
    case kTypeArc:
        e.type = EntityType::Arc;
        g.arc.center = r.BD3();
        g.arc.radius = r.BD();
        r.BT();
        r.BE();
        g.arc.startAngle = r.BD();
        g.arc.endAngle = r.BD();
        break;
    case kTypeText:
        e.type = EntityType::Text;
        Text(r, out, g.text);
        break;
    case kTypeInsert:
    case kTypeMInsert:
        e.type = EntityType::Insert;
        Insert(r, g.insert, type == kTypeMInsert, s.r2004);
        break;
    case kTypePolyline2D:
        e.type = EntityType::Polyline;
        g.polyline.flags = static_cast<std::int16_t>(r.BS() & ~8);
        r.BS();                             // curve type
        g.polyline.startWidth = r.BD();
        g.polyline.endWidth = r.BD();
        r.BT();
        g.polyline.elevation = r.BD();
        break;
    case kTypePolyline3D: {
        e.type = EntityType::Polyline;
        r.RC();                             // spline flags
        std::uint8_t closed = r.RC();
        g.polyline = {0, 0, 0, static_cast<std::int16_t>(8 | ((closed & 1) ? 1 : 0))};
        break;
    }
    case kTypeVertex2D: {
        e.type = EntityType::Vertex;
        auto& v = g.vertex;
        v.flags = r.RC();
        v.pos = r.BD3();
        double sw = r.BD();
        if (sw < 0) {
            v.startWidth = v.endWidth = -sw;
        } else {
            v.startWidth = sw;
            v.endWidth = r.BD();
        }
        v.bulge = r.BD();
        v.widthFlags = 3;                   // the file always holds both widths
        break;
    }
    case kTypeVertex3D:
        e.type = EntityType::Vertex;
        g.vertex = {};
        g.vertex.flags = r.RC();
        g.vertex.pos = r.BD3();
        break;
    case kTypeSeqEnd:
        e.type = EntityType::SeqEnd;
        break;
    case kTypeFace3D:
        e.type = EntityType::Face3D;
        Face(r, g.face, e.invisibleEdges);
        break;
    case kTypeBlock:
        e.type = EntityType::Block;         // its name is the block header's
        break;
    case kTypeEndBlk:
        e.type = EntityType::EndBlk;
        break;
    case kTypeViewport:
        e.type = EntityType::Viewport;
        g.extra.index = static_cast<std::uint32_t>(out.viewports.size());
        out.viewports.push_back(Viewport(r, frozenLayers, s.r2007));
        break;
    case kTypeHatch:
        e.type = EntityType::Hatch;
        g.extra.index = static_cast<std::uint32_t>(out.hatches.size());
        out.hatches.push_back(Hatch(r, s.r2004));
        break;
    case kTypeLwPolyline: {
        const LightweightPolyline lw = DecodeLwPolylineData(r);
        ReadEntityHandles(s.handles, c, s.self, de);
        AppendLwPolyline(out, de, lw);
        return;
    }
    default:
        return;
    }
    ReadEntityHandles(s.handles, c, s.self, de);
    switch (type) {
    case kTypeText:
    case kTypeInsert:
    case kTypeMInsert:
        de.ref = s.handles.H().Resolve(s.self);
        break;
    default:
        break;
    }
    out.entities.push_back(std::move(de));
}

} // namespace

namespace {

// The DXF name of an object type: a fixed type's, or its class's.
std::string TypeName(const ObjectSource& src, std::int16_t type) {
    if (type < 500) {
        const char* name = FixedTypeDxfName(type);
        return *name ? name : "type " + std::to_string(type);
    }
    const auto index = static_cast<std::size_t>(type - 500);
    if (index < src.classNames.size() && !src.classNames[index].dxf.empty()) return src.classNames[index].dxf;
    return "class " + std::to_string(type);
}

// Whether objects of the type are entities: the fixed entity types, and
// classes whose item class says so.
bool IsEntityType(const ObjectSource& src, std::int16_t type) {
    if (type >= 500) {
        const auto index = static_cast<std::size_t>(type - 500);
        return index < src.classNames.size() && src.classNames[index].entity;
    }
    return (type >= 1 && type <= 47 && type != 42) || type == 74 || type == 77 || type == 78 || type == 498;
}

void Skipped(const ObjectSource& src, std::int16_t type, DecodedObjects& out) {
    ++(IsEntityType(src, type) ? out.notRead : out.objectsNotRead)[TypeName(src, type)];
}

void DecodeAt(const ObjectSource& src, std::uint64_t offset, Handle mapHandle, DecodedObjects& out, std::int16_t& type) {
    if (offset >= src.fileSize) throw CadError("the address lies beyond the end of the file");
    std::size_t pos = static_cast<std::size_t>(offset);
    const std::uint32_t size = ReadModularShort(src.file, src.fileSize, pos);
    std::uint64_t handleBits = 0;
    if (src.release >= Release::R2010) handleBits = ReadModularChar(src.file, src.fileSize, pos);
    if (size == 0 || size > src.fileSize - pos || src.fileSize - pos - size < 2)
        throw CadError("the object runs past the end of the file (truncated)");
    const std::uint8_t* body = src.file + pos;
    std::uint16_t crc = Crc16(kDwgCrcSeed, src.file + offset, pos - static_cast<std::size_t>(offset) + size);
    std::uint16_t stored = static_cast<std::uint16_t>(body[size] | (body[size + 1] << 8));
    if (src.checkCrc && crc != stored) throw CadError("CRC mismatch (the file is damaged)");

    ObjectStreams s{BitReader(body, size, "object"), BitReader(body, size, "object"),
                    BitReader(body, size, "object's texts")};
    s.release = src.release;
    s.r2004 = src.release >= Release::R2004;
    s.r2007 = src.release >= Release::R2007;
    s.data.fullColour = s.r2004;
    std::uint64_t bitSize;
    if (src.release >= Release::R2010) {    // the type 2-bit-prefixed; the handle stream's size came first
        if (handleBits > static_cast<std::uint64_t>(size) * 8) s.data.Fail("its handle stream is larger than it");
        bitSize = static_cast<std::uint64_t>(size) * 8 - handleBits;
        switch (s.data.BB()) {
        case 0: type = s.data.RC(); break;
        case 1: type = static_cast<std::int16_t>(0x1F0 + s.data.RC()); break;
        default: type = static_cast<std::int16_t>(s.data.RS()); break;
        }
    } else {
        type = s.data.BS();
        bitSize = s.data.RL();
    }
    if (bitSize > static_cast<std::uint64_t>(size) * 8) s.data.Fail("its data size reaches past its end");
    HandleRef own = s.data.H();
    if (own.value != mapHandle) s.data.Fail("its handle differs from the object map's");
    s.self = own.value;
    for (;;) {                              // extended data: skipped
        std::int16_t eed = s.data.BS();
        if (eed == 0) break;
        if (eed < 0) s.data.Fail("negative extended data size");
        s.data.H();
        s.data.RequireItems(static_cast<std::uint64_t>(eed), 8, "extended data bytes");
        s.data.Skip(static_cast<std::size_t>(eed) * 8);
    }
    s.handles.SetBitPosition(bitSize);
    s.data.SetBitLimit(bitSize);
    if (s.r2007) {
        s.text.SetStrings(bitSize);
        s.data.text = &s.text;
    }

    if (type >= 500) {
        std::size_t index = static_cast<std::size_t>(type - 500);
        const std::string* name = index < src.classNames.size() ? &src.classNames[index].dxf : nullptr;
        if (!name) Skipped(src, type, out);             // a class the classes section lacks
        else if (*name == "ACDBDICTIONARYWDFLT") Dictionary(s, true, offset, out);
        else if (*name == "ACDBPLACEHOLDER") PlainObject(s, ObjectType::Placeholder, offset, out);
        else if (*name == "LAYOUT") LayoutObject(s, offset, out);
        else if (*name == "DICTIONARY") Dictionary(s, false, offset, out);
        else if (*name == "XRECORD") PlainObject(s, ObjectType::XRecord, offset, out);
        else if (*name == "DICTIONARYVAR") SettingObject(s, ObjectType::DictionaryVar, offset, out);
        else if (*name == "SCALE") SettingObject(s, ObjectType::Scale, offset, out);
        else if (*name == "HATCH") DecodeEntity(s, kTypeHatch, offset, out);
        else Skipped(src, type, out);
        return;
    }
    switch (type) {
    case kTypeBlockControl:
    case kTypeLayerControl:
    case kTypeStyleControl:
    case kTypeLtypeControl:
    case kTypeViewControl:
    case kTypeUcsControl:
    case kTypeVportControl:
    case kTypeAppidControl:
    case kTypeDimstyleControl:
    case kTypeVxControl:
        Control(s, type, out);
        break;
    case kTypeLayer: LayerRecord(s, out); break;
    case kTypeLtype: LinetypeRecord(s, out); break;
    case kTypeStyle: StyleRecord(s, out); break;
    case kTypeAppid:
    case kTypeUcs:
    case kTypeDimstyle:
        SimpleTableRecord(s, out);
        break;
    case kTypeView: ViewRecord(s, out); break;
    case kTypeVport: VportRecordDecode(s, out); break;
    case kTypeBlockHeader: BlockHeader(s, out); break;
    case kTypeDictionary: Dictionary(s, false, offset, out); break;
    case kTypePlaceholder: PlainObject(s, ObjectType::Placeholder, offset, out); break;
    case kTypeLayout: LayoutObject(s, offset, out); break;
    case kTypeMlineStyle: PlainObject(s, ObjectType::MLineStyle, offset, out); break;
    case kTypeXRecord: PlainObject(s, ObjectType::XRecord, offset, out); break;
    case kTypeText:
    case kTypeBlock:
    case kTypeEndBlk:
    case kTypeSeqEnd:
    case kTypeInsert:
    case kTypeMInsert:
    case kTypeVertex2D:
    case kTypeVertex3D:
    case kTypePolyline2D:
    case kTypePolyline3D:
    case kTypeArc:
    case kTypeCircle:
    case kTypeLine:
    case kTypePoint:
    case kTypeFace3D:
    case kTypeViewport:
    case kTypeHatch:
    case kTypeLwPolyline:
        DecodeEntity(s, type, offset, out);
        break;
    case kTypeVx:                           // made anew from the viewports when written: nothing is lost
        break;
    default:                                // groups and kinds the database does not hold
        Skipped(src, type, out);
        break;
    }
}

} // namespace

void DecodeObject(const ObjectSource& src, std::uint64_t offset, Handle mapHandle, DecodedObjects& out) {
    std::int16_t type = -1;
    try {
        DecodeAt(src, offset, mapHandle, out, type);
    } catch (const CadError& e) {
        // The message gains the object's handle, address and type here, off the hot path.
        std::string what = e.what();
        if (what.rfind("DWG object: ", 0) == 0) what.erase(0, 12);
        std::string kind;
        if (type >= 0) kind = " (" + TypeName(src, type) + ")";
        throw CadError("DWG object " + HandleText(mapHandle) + kind + " at " + std::to_string(offset) + ": " + what);
    }
}

} // namespace ostrel::cad::dwg
