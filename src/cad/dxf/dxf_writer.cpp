// SaveDxf: the ASCII DXF writer for every release, section by section.
#include "cad/dxf/dxf_writer.h"

#include <exception>
#include <new>

#include "cad/atomic_file.h"
#include "cad/dxf/dxf_write_context.h"

namespace ostrel::cad {

namespace dxf {

namespace {

bool TypeExistsIn(ObjectType t, Release r) {
    if (r >= Release::R2000) return true;
    return t == ObjectType::Dictionary || t == ObjectType::MLineStyle || t == ObjectType::XRecord;
}

// Root entries that belong to the layouts, plot styles, settings and styles of R2000 on.
bool IsR2000RootEntry(const std::string& name) {
    return name == "ACAD_LAYOUT" || name == "ACAD_PLOTSETTINGS" || name == "ACAD_PLOTSTYLENAME" ||
           name == "ACAD_COLOR" || name == "ACAD_SCALELIST" || name == "AcDbVariableDictionary" ||
           name == "ACAD_MLEADERSTYLE" || name == "ACAD_TABLESTYLE" ||
           name == "ACAD_MATERIAL" || name == "ACAD_VISUALSTYLE";
}

void MarkWritten(WriteContext& c, std::uint32_t index, bool isRoot) {
    if (c.objectWritten[index]) return;
    c.objectWritten[index] = true;
    const Object& o = c.d.objects[index];
    for (const auto& entry : o.entries) {
        if (isRoot && c.preR2000 && IsR2000RootEntry(entry.name)) continue;
        auto child = c.d.FindObject(entry.target);
        if (child == kNone || !TypeExistsIn(c.d.objects[child].type, c.release)) continue;
        MarkWritten(c, child, false);
    }
}

} // namespace

WriteContext::WriteContext(const Drawing& drawing, Release r, TagWriter& writer)
    : d(drawing), release(r), w(writer), names(MakeReleaseNames(drawing, r)) {
    r12 = r == Release::R12;
    preR2000 = r12 || r == Release::R13 || r == Release::R14;
    utf8 = r >= Release::R2007;
    byLayerLinetype = d.FindLinetype("ByLayer");
    byBlockLinetype = d.FindLinetype("ByBlock");
    continuousLinetype = d.FindLinetype("Continuous");

    objectWritten.assign(d.objects.size(), false);
    if (r12) return;
    if (!preR2000) {
        objectWritten.assign(d.objects.size(), true);
        return;
    }
    auto root = d.FindObject(d.rootDictionary);
    if (root != kNone) MarkWritten(*this, root, true);
}

WriteContext::WriteContext(const WriteContext& other, TagWriter& writer)
    : d(other.d), release(other.release), w(writer), names(other.names), r12(other.r12), preR2000(other.preR2000),
      utf8(other.utf8), nextExtraHandle(other.nextExtraHandle), handSeed(other.handSeed), polyline3d(other.polyline3d),
      byLayerLinetype(other.byLayerLinetype), byBlockLinetype(other.byBlockLinetype),
      continuousLinetype(other.continuousLinetype), objectWritten(other.objectWritten), blockOwner(other.blockOwner) {}

const std::string& WriteContext::LayerLinetypeName(std::uint32_t linetype) const {
    // A layer cannot be drawn "by layer" or "by block": those and a missing
    // linetype are written as Continuous.
    if (linetype == kNone || linetype >= names.linetypes.size() || linetype == byLayerLinetype ||
        linetype == byBlockLinetype)
        linetype = continuousLinetype;
    return names.linetypes[linetype];
}

bool WriteContext::ObjectWritten(Handle h) const {
    if (h == 0) return false;
    auto i = d.FindObject(h);
    return i != kNone && i < objectWritten.size() && objectWritten[i];
}

} // namespace dxf

void SaveDxf(Drawing& d, Release release, const std::string& path) {
    NormalizeForSave(d);
    WriteDxf(d, release, path);
}

void WriteDxf(const Drawing& d, Release release, const std::string& path) {
    try {
        AtomicFile file(path);
        dxf::TagWriter w(file);
        dxf::WriteContext c(d, release, w);
        // Handles for what the writer makes itself, above every handle the
        // drawing holds, so $HANDSEED covers them.
        c.nextExtraHandle = d.HandleSeed();
        c.handSeed = c.nextExtraHandle + dxf::ExtraHandlesNeeded(d, release);

        dxf::WriteHeaderSection(c);
        if (!c.r12) dxf::WriteClassesSection(c);
        dxf::WriteTablesSection(c);
        dxf::WriteBlocksSection(c);
        dxf::WriteEntitiesSection(c);
        if (!c.r12) dxf::WriteObjectsSection(c);
        w.Marker("EOF");
        w.Flush();
        file.Commit();
    } catch (const CadError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw CadError("cannot write " + path + ": out of memory");
    } catch (const std::exception& e) {
        throw CadError("cannot write " + path + ": " + e.what());
    }
}

} // namespace ostrel::cad
