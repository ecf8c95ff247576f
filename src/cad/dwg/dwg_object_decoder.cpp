#include "cad/dwg/dwg_object_decoder.h"

#include <cmath>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_entity_kinds.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_style_objects.h"
#include "cad/dwg/dwg_material_visualstyle.h"
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

// MLEADERSTYLE and TABLESTYLE: the style's fields, then its handles after the object's own.
void StyleObject(ObjectStreams& s, ObjectType type, std::uint64_t offset, DecodedObjects& out) {
    Object o;
    o.type = type;
    o.handle = s.self;
    std::int32_t reactors = ReadReactorCount(s);
    const auto targets = ReadStyleData(s.data, s.release, type, o.style);
    o.owner = ReadObjectHandles(s, reactors, s.self, &o.reactors);
    ReadStyleHandles(s.handles, s.self, targets, o.style);
    out.objects.emplace_back(offset, std::move(o));
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

// MATERIAL and VISUALSTYLE; a material with a procedural map is not held.
void RenderStyleObject(const ObjectSource& src, ObjectStreams& s, ObjectType kind, std::int16_t type,
                       std::uint64_t offset, DecodedObjects& out) {
    Object o;
    o.type = kind;
    o.handle = s.self;
    std::int32_t reactors = ReadReactorCount(s);
    if (kind == ObjectType::Material) {
        o.material = std::make_shared<MaterialData>();
        if (!ReadMaterialData(s.data, *o.material, s.release)) return Skipped(src, type, out);
    } else {
        o.visualStyle = std::make_shared<VisualStyleData>();
        ReadVisualStyleData(s.data, *o.visualStyle, s.release);
    }
    o.owner = ReadObjectHandles(s, reactors, s.self, &o.reactors);
    out.objects.emplace_back(offset, std::move(o));
}

bool ReadEntity(ObjectStreams& s, std::int16_t type, std::uint64_t offset, DecodedObjects& out) {
    EntityObject o{s.data, s.handles, s.self, s.release, offset};
    return DecodeEntity(o, type, out);
}

// An object's bytes in the file, its size and CRC checked.
struct ObjectBody {
    const std::uint8_t* bytes;
    std::uint32_t size;
    std::uint64_t handleBits;   // R2010 and later: the handle stream's size
};

ObjectBody LocateObject(const ObjectSource& src, std::uint64_t offset) {
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
    return {body, size, handleBits};
}

// Reads the object's type, handle and extended data and sets its streams'
// bounds; returns the type.
std::int16_t ReadObjectHead(ObjectStreams& s, const ObjectBody& body, Handle mapHandle) {
    const std::uint64_t bits = static_cast<std::uint64_t>(body.size) * 8;
    std::int16_t type;
    std::uint64_t bitSize;
    if (s.release >= Release::R2010) {      // the type 2-bit-prefixed; the handle stream's size came first
        if (body.handleBits > bits) s.data.Fail("its handle stream is larger than it");
        bitSize = bits - body.handleBits;
        switch (s.data.BB()) {
        case 0: type = s.data.RC(); break;
        case 1: type = static_cast<std::int16_t>(0x1F0 + s.data.RC()); break;
        default: type = static_cast<std::int16_t>(s.data.RS()); break;
        }
    } else {
        type = s.data.BS();
        bitSize = s.data.RL();
    }
    if (bitSize > bits) s.data.Fail("its data size reaches past its end");
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
    return type;
}

// An object whose type is a class's number.
void DecodeClassObject(const ObjectSource& src, ObjectStreams& s, std::int16_t type, std::uint64_t offset,
                       DecodedObjects& out) {
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
    else if (*name == "MLEADERSTYLE") StyleObject(s, ObjectType::MLeaderStyle, offset, out);
    else if (*name == "TABLESTYLE") StyleObject(s, ObjectType::TableStyle, offset, out);
    else if (*name == "MATERIAL") RenderStyleObject(src, s, ObjectType::Material, type, offset, out);
    else if (*name == "VISUALSTYLE") RenderStyleObject(src, s, ObjectType::VisualStyle, type, offset, out);
    else if (*name == "HATCH") ReadEntity(s, kTypeHatch, offset, out);
    else Skipped(src, type, out);
}

// An object of a fixed type: a table, a non-graphic object or an entity.
void DecodeFixedObject(const ObjectSource& src, ObjectStreams& s, std::int16_t type, std::uint64_t offset,
                       DecodedObjects& out) {
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
    case kTypeVx:                           // made anew from the viewports when written: nothing is lost
        break;
    default:                                // the entity kinds; groups and kinds the database does not hold
        if (!ReadEntity(s, type, offset, out)) Skipped(src, type, out);
        break;
    }
}

void DecodeAt(const ObjectSource& src, std::uint64_t offset, Handle mapHandle, DecodedObjects& out, std::int16_t& type) {
    const ObjectBody body = LocateObject(src, offset);
    ObjectStreams s{BitReader(body.bytes, body.size, "object"), BitReader(body.bytes, body.size, "object"),
                    BitReader(body.bytes, body.size, "object's texts")};
    s.release = src.release;
    s.r2004 = src.release >= Release::R2004;
    s.r2007 = src.release >= Release::R2007;
    s.data.fullColour = s.r2004;
    type = ReadObjectHead(s, body, mapHandle);
    if (type >= 500) DecodeClassObject(src, s, type, offset, out);
    else DecodeFixedObject(src, s, type, offset, out);
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
