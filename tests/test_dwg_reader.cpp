// The R2000 DWG reader: what the writer puts into a file comes back as an
// equal database, and damaged, truncated, foreign or random files end in a
// clear CadError, never a crash or a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "dwg_test_drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using ostrel::test::TempDir;

namespace {

std::string LinetypeName(const Drawing& d, std::uint32_t lt) {
    if (lt == kNone) return "(by layer)";
    return lt < d.linetypes.size() ? d.linetypes[lt].name : "(missing)";
}

std::string LayerLinetypeName(const Drawing& d, std::uint32_t lt) {
    return lt == kNone ? "Continuous" : LinetypeName(d, lt);
}

void ExpectSameEntity(const Drawing& a, const Entity& x, const Drawing& b, const Entity& y) {
    SCOPED_TRACE(std::string(EntityTypeName(x.type)) + " " + HandleText(x.handle));
    ASSERT_EQ(x.type, y.type);
    EXPECT_EQ(x.handle, y.handle);
    EXPECT_EQ(x.colour, y.colour);
    EXPECT_EQ(x.flags & (kEntityInvisible | kEntityPaperSpace), y.flags & (kEntityInvisible | kEntityPaperSpace));
    EXPECT_EQ(a.layers[x.layer].name, b.layers[y.layer].name);
    EXPECT_EQ(LinetypeName(a, x.linetype), LinetypeName(b, y.linetype));
    const EntityGeom& g = x.geom;
    const EntityGeom& h = y.geom;
    switch (x.type) {
    case EntityType::Point: EXPECT_EQ(g.point.pos, h.point.pos); break;
    case EntityType::Line:
        EXPECT_EQ(g.line.start, h.line.start);
        EXPECT_EQ(g.line.end, h.line.end);
        break;
    case EntityType::Circle:
        EXPECT_EQ(g.circle.center, h.circle.center);
        EXPECT_EQ(g.circle.radius, h.circle.radius);
        break;
    case EntityType::Arc:
        EXPECT_EQ(g.arc.center, h.arc.center);
        EXPECT_EQ(g.arc.radius, h.arc.radius);
        EXPECT_EQ(g.arc.startAngle, h.arc.startAngle);
        EXPECT_EQ(g.arc.endAngle, h.arc.endAngle);
        break;
    case EntityType::Text:
        EXPECT_EQ(a.Text(g.text), b.Text(h.text));
        EXPECT_EQ(g.text.pos, h.text.pos);
        EXPECT_EQ(g.text.align.x, h.text.align.x);
        EXPECT_EQ(g.text.align.y, h.text.align.y);
        EXPECT_EQ(g.text.height, h.text.height);
        EXPECT_EQ(g.text.rotation, h.text.rotation);
        EXPECT_EQ(g.text.widthFactor, h.text.widthFactor);
        EXPECT_EQ(g.text.oblique, h.text.oblique);
        EXPECT_EQ(g.text.hAlign, h.text.hAlign);
        EXPECT_EQ(g.text.vAlign, h.text.vAlign);
        EXPECT_EQ(a.styles[g.text.style].name, b.styles[h.text.style].name);
        break;
    case EntityType::Insert:
        EXPECT_EQ(a.blocks[g.insert.block].name, b.blocks[h.insert.block].name);
        EXPECT_EQ(g.insert.pos, h.insert.pos);
        EXPECT_EQ(g.insert.xScale, h.insert.xScale);
        EXPECT_EQ(g.insert.yScale, h.insert.yScale);
        EXPECT_EQ(g.insert.zScale, h.insert.zScale);
        EXPECT_EQ(g.insert.rotation, h.insert.rotation);
        EXPECT_EQ(g.insert.columns, h.insert.columns);
        EXPECT_EQ(g.insert.rows, h.insert.rows);
        EXPECT_EQ(g.insert.columnSpacing, h.insert.columnSpacing);
        EXPECT_EQ(g.insert.rowSpacing, h.insert.rowSpacing);
        break;
    case EntityType::Polyline:
        EXPECT_EQ(g.polyline.flags, h.polyline.flags);
        if (!(g.polyline.flags & 8)) {
            EXPECT_EQ(g.polyline.startWidth, h.polyline.startWidth);
            EXPECT_EQ(g.polyline.endWidth, h.polyline.endWidth);
            EXPECT_EQ(g.polyline.elevation, h.polyline.elevation);
        }
        break;
    case EntityType::Vertex:
        EXPECT_EQ(g.vertex.pos, h.vertex.pos);
        EXPECT_EQ(g.vertex.flags, h.vertex.flags);
        EXPECT_EQ(g.vertex.startWidth, h.vertex.startWidth);
        EXPECT_EQ(g.vertex.endWidth, h.vertex.endWidth);
        EXPECT_EQ(g.vertex.bulge, h.vertex.bulge);
        break;
    case EntityType::Face3D:
        for (int i = 0; i < 4; ++i) EXPECT_EQ(g.face.corner[i], h.face.corner[i]) << i;
        EXPECT_EQ(g.face.invisibleEdges, h.face.invisibleEdges);
        break;
    case EntityType::Viewport: {
        const auto& v = a.viewports[g.extra.index];
        const auto& w = b.viewports[h.extra.index];
        EXPECT_EQ(v.center, w.center);
        EXPECT_EQ(v.width, w.width);
        EXPECT_EQ(v.height, w.height);
        EXPECT_EQ(v.viewCenter.x, w.viewCenter.x);
        EXPECT_EQ(v.viewCenter.y, w.viewCenter.y);
        EXPECT_EQ(v.viewTarget, w.viewTarget);
        EXPECT_EQ(v.viewDirection, w.viewDirection);
        EXPECT_EQ(v.viewHeight, w.viewHeight);
        EXPECT_EQ(v.twist, w.twist);
        EXPECT_EQ(v.lensLength, w.lensLength);
        EXPECT_EQ(v.statusFlags, w.statusFlags);
        EXPECT_EQ(v.id, w.id);
        break;
    }
    case EntityType::Hatch: {
        const auto& p = a.hatches[g.extra.index];
        const auto& q = b.hatches[h.extra.index];
        EXPECT_EQ(p.pattern, q.pattern);
        EXPECT_EQ(p.solid, q.solid);
        EXPECT_EQ(p.boundary, q.boundary);
        EXPECT_EQ(p.elevation, q.elevation);
        break;
    }
    default: break;
    }
}

// Everything the database holds and the format keeps, compared by name or
// handle (the order of blocks and objects may differ).
void ExpectSameDrawing(const Drawing& a, const Drawing& b) {
    ASSERT_EQ(a.layers.size(), b.layers.size());
    for (const auto& l : a.layers) {
        SCOPED_TRACE("layer " + l.name);
        auto i = b.FindLayer(l.name);
        ASSERT_NE(i, kNone);
        const auto& m = b.layers[i];
        EXPECT_EQ(l.handle, m.handle);
        EXPECT_EQ(l.colour, m.colour);
        EXPECT_EQ(l.off, m.off);
        EXPECT_EQ(l.flags, m.flags);
        EXPECT_EQ(l.lineweight, m.lineweight);
        EXPECT_EQ(l.plot, m.plot);
        EXPECT_EQ(l.plotStyle, m.plotStyle);
        EXPECT_EQ(LayerLinetypeName(a, l.linetype), LayerLinetypeName(b, m.linetype));
    }
    ASSERT_EQ(a.linetypes.size(), b.linetypes.size());
    for (const auto& lt : a.linetypes) {
        SCOPED_TRACE("linetype " + lt.name);
        auto i = b.FindLinetype(lt.name);
        ASSERT_NE(i, kNone);
        EXPECT_EQ(lt.handle, b.linetypes[i].handle);
        EXPECT_EQ(lt.description, b.linetypes[i].description);
        EXPECT_EQ(lt.dashes, b.linetypes[i].dashes);
        EXPECT_EQ(lt.patternLength, b.linetypes[i].patternLength);
    }
    ASSERT_EQ(a.styles.size(), b.styles.size());
    for (const auto& s : a.styles) {
        auto i = b.FindStyle(s.name);
        ASSERT_NE(i, kNone) << s.name;
        EXPECT_EQ(s.font, b.styles[i].font);
        EXPECT_EQ(s.widthFactor, b.styles[i].widthFactor);
        EXPECT_EQ(s.handle, b.styles[i].handle);
    }
    auto names = [](const auto& records) {
        std::vector<std::pair<std::string, Handle>> out;
        for (const auto& r : records) out.emplace_back(r.name, r.handle);
        return out;
    };
    EXPECT_EQ(names(a.appids), names(b.appids));
    EXPECT_EQ(names(a.dimstyles), names(b.dimstyles));
    EXPECT_EQ(names(a.vports), names(b.vports));

    ASSERT_EQ(a.blocks.size(), b.blocks.size());
    for (const auto& blk : a.blocks) {
        SCOPED_TRACE("block " + blk.name);
        auto i = b.FindBlock(blk.name);
        ASSERT_NE(i, kNone);
        const auto& other = b.blocks[i];
        EXPECT_EQ(blk.handle, other.handle);
        EXPECT_EQ(blk.base, other.base);
        EXPECT_EQ(blk.layout, other.layout);
        EXPECT_EQ(a.entities[blk.beginEntity].handle, b.entities[other.beginEntity].handle);
        EXPECT_EQ(a.entities[blk.endEntity].handle, b.entities[other.endEntity].handle);
        ASSERT_EQ(blk.entities.size(), other.entities.size());
        for (std::size_t k = 0; k < blk.entities.size(); ++k)
            ExpectSameEntity(a, a.entities[blk.entities[k]], b, b.entities[other.entities[k]]);
    }

    ASSERT_EQ(a.objects.size(), b.objects.size());
    EXPECT_EQ(a.objects.front().handle, a.rootDictionary);
    EXPECT_EQ(b.objects.front().handle, b.rootDictionary);
    for (const auto& o : a.objects) {
        SCOPED_TRACE("object " + HandleText(o.handle));
        const Object* p = b.ObjectByHandle(o.handle);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(o.type, p->type);
        EXPECT_EQ(o.owner, p->owner);
        EXPECT_EQ(o.reactors, p->reactors);
        ASSERT_EQ(o.entries.size(), p->entries.size());
        for (std::size_t k = 0; k < o.entries.size(); ++k) {
            EXPECT_EQ(o.entries[k].name, p->entries[k].name);
            EXPECT_EQ(o.entries[k].target, p->entries[k].target);
        }
        EXPECT_EQ(o.defaultEntry, p->defaultEntry);
        EXPECT_EQ(o.hardOwner, p->hardOwner);
        EXPECT_EQ(o.name, p->name);
        ASSERT_EQ(o.layout != nullptr, p->layout != nullptr);
        if (o.layout) {
            const auto& l = *o.layout;
            const auto& m = *p->layout;
            EXPECT_EQ(l.name, m.name);
            EXPECT_EQ(l.tabOrder, m.tabOrder);
            EXPECT_EQ(l.blockRecord, m.blockRecord);
            EXPECT_EQ(l.lastViewport, m.lastViewport);
            EXPECT_EQ(l.paperName, m.paperName);
            EXPECT_EQ(l.printerName, m.printerName);
            EXPECT_EQ(l.paperWidth, m.paperWidth);
            EXPECT_EQ(l.paperHeight, m.paperHeight);
            EXPECT_EQ(l.layoutFlags, m.layoutFlags);
            EXPECT_EQ(l.plotFlags, m.plotFlags);
            EXPECT_EQ(l.limMax[0], m.limMax[0]);
            EXPECT_EQ(l.limMax[1], m.limMax[1]);
            EXPECT_EQ(l.extMin, m.extMin);
            EXPECT_EQ(l.extMax, m.extMax);
        }
    }

    EXPECT_EQ(a.header.extMin, b.header.extMin);
    EXPECT_EQ(a.header.extMax, b.header.extMax);
    EXPECT_EQ(a.header.limMin[0], b.header.limMin[0]);
    EXPECT_EQ(a.header.limMax[1], b.header.limMax[1]);
    EXPECT_EQ(a.header.insUnits, b.header.insUnits);
    EXPECT_EQ(a.header.pstyleMode, b.header.pstyleMode);
    EXPECT_EQ(a.header.tileMode, b.header.tileMode);
    EXPECT_EQ(a.header.measurement, b.header.measurement);
    EXPECT_EQ(a.header.codePage, b.header.codePage);
    EXPECT_EQ(a.header.currentLayer, b.header.currentLayer);
    EXPECT_EQ(a.header.ltScale, b.header.ltScale);
    EXPECT_EQ(a.header.textSize, b.header.textSize);
    EXPECT_EQ(a.controls.layer, b.controls.layer);
    EXPECT_EQ(a.controls.vx, b.controls.vx);
    EXPECT_EQ(a.rootDictionary, b.rootDictionary);
    EXPECT_GE(b.HandleSeed(), a.HandleSeed());
}

std::vector<std::uint8_t> Encode(Drawing& d) {
    NormalizeForSave(d);
    return dwg::EncodeDwg(d);
}


// The object addresses of the first object map page.
std::vector<std::size_t> ObjectOffsets(const std::vector<std::uint8_t>& f) {
    const std::size_t mapAt = static_cast<std::size_t>(f[0x19 + 18 + 1] | (f[0x19 + 18 + 2] << 8) |
                                                       (f[0x19 + 18 + 3] << 16));
    std::vector<std::size_t> offsets;
    std::size_t pos = mapAt + 2;
    std::int64_t off = 0;
    const std::size_t pageEnd = mapAt + ((f[mapAt] << 8) | f[mapAt + 1]);
    while (pos < pageEnd) {
        dwg::ReadModularChar(f.data(), pageEnd, pos);
        off += dwg::ReadSignedModularChar(f.data(), pageEnd, pos);
        offsets.push_back(static_cast<std::size_t>(off));
    }
    return offsets;
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
    try {
        dwg::DecodeDwg(bytes.data(), bytes.size());
    } catch (const CadError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(DwgRoundTrip, EveryKindDrawingReadsBackEqual) {
    TempDir dir;
    auto original = ostrel::test::EveryKindDrawing();
    auto path = dir.file("every.dwg");
    SaveDwg(*original, Release::R2000, path);
    auto read = ReadDwg(path);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->release, Release::R2000);
    ExpectSameDrawing(*original, *read);
    // Paper-space entities keep their paper-space flag; the viewports their order.
    auto ps = read->PaperSpace();
    ASSERT_NE(ps, kNone);
    for (auto idx : read->blocks[ps].entities) EXPECT_TRUE(read->entities[idx].flags & kEntityPaperSpace);
}

TEST(DwgRoundTrip, AReadDrawingWritesAndReadsAgainUnchanged) {
    auto original = ostrel::test::EveryKindDrawing();
    auto first = Encode(*original);
    auto read = dwg::DecodeDwg(first.data(), first.size());
    auto second = Encode(*read);
    auto again = dwg::DecodeDwg(second.data(), second.size());
    ExpectSameDrawing(*read, *again);
    // New handles from the database never collide with those read.
    Handle fresh = again->NewHandle();
    for (const auto& e : again->entities) EXPECT_NE(e.handle, fresh);
    for (const auto& o : again->objects) EXPECT_NE(o.handle, fresh);
}

TEST(DwgRoundTrip, NewDrawingAndALargeDrawingReadBackEqual) {
    auto empty = NewDrawing();
    auto bytes = Encode(*empty);
    ExpectSameDrawing(*empty, *dwg::DecodeDwg(bytes.data(), bytes.size()));

    auto large = ostrel::test::LargeDrawing(6000);
    auto big = Encode(*large);
    auto read = dwg::DecodeDwg(big.data(), big.size());
    ExpectSameDrawing(*large, *read);
}

TEST(DwgRoundTrip, TextKeepsCodePageBytes) {
    auto d = NewDrawing();
    Entity t;
    t.type = EntityType::Text;
    t.handle = d->NewHandle();
    t.geom.text = {};
    t.geom.text.height = 1;
    t.geom.text.widthFactor = 1;
    const std::string degrees = "45\xB0 N \xE9t\xE9";   // Windows-1252 degree sign and accents
    d->SetText(t.geom.text, degrees);
    d->AppendEntity(d->ModelSpace(), t);
    auto bytes = Encode(*d);
    auto read = dwg::DecodeDwg(bytes.data(), bytes.size());
    const auto& ms = read->blocks[read->ModelSpace()];
    ASSERT_EQ(ms.entities.size(), 1u);
    EXPECT_EQ(read->Text(read->entities[ms.entities[0]].geom.text), degrees);
}

TEST(DwgRoundTrip, ObjectsOf32KilobytesAndMoreTakeTheLongSizeForm) {
    auto d = NewDrawing();
    HatchData h;
    for (int i = 0; i < 3000; ++i)
        h.boundary.push_back({std::cos(i * 0.002) * (100 + i % 7), std::sin(i * 0.002) * (100 + i % 5), 0});
    d->hatches.push_back(h);
    Entity e;
    e.type = EntityType::Hatch;
    e.handle = d->NewHandle();
    e.geom.extra.index = 0;
    d->AppendEntity(d->ModelSpace(), e);
    Entity after;
    after.type = EntityType::Point;
    after.handle = d->NewHandle();
    after.geom.point = {{1, 2, 3}};
    d->AppendEntity(d->ModelSpace(), after);
    auto bytes = Encode(*d);
    auto read = dwg::DecodeDwg(bytes.data(), bytes.size());
    ExpectSameDrawing(*d, *read);
    ASSERT_EQ(read->hatches.size(), 1u);
    EXPECT_EQ(read->hatches[0].boundary.size(), 3000u);
}

TEST(DwgReadErrors, MissingForeignAndOtherReleaseFilesAreRefusedClearly) {
    TempDir dir;
    try {
        ReadDwg(dir.file("none.dwg"));
        FAIL();
    } catch (const CadError& e) {
        EXPECT_NE(std::string(e.what()).find("none.dwg"), std::string::npos);
    }
    auto text = dir.file("text.dwg");
    ostrel::test::WriteFile(text, "0\nSECTION\n2\nHEADER\n");
    try {
        ReadDwg(text);
        FAIL();
    } catch (const CadError& e) {
        EXPECT_NE(std::string(e.what()).find("not a DWG file"), std::string::npos) << e.what();
    }
    auto d = ostrel::test::EveryKindDrawing();
    auto bytes = Encode(*d);
    auto newer = bytes;
    newer[4] = '1';
    newer[5] = '8';
    EXPECT_NE(ErrorOf(newer).find("the file is damaged"), std::string::npos) << ErrorOf(newer);   // no R2004 header
    newer[5] = '4';
    newer[4] = '2';
    EXPECT_NE(ErrorOf(newer).find("AC1024"), std::string::npos) << ErrorOf(newer);
    EXPECT_NE(ErrorOf({}).find("not a DWG file"), std::string::npos);
}

TEST(DwgReadErrors, EveryDamagedSectionIsReportedAsACrcMismatch) {
    auto d = ostrel::test::EveryKindDrawing();
    auto good = Encode(*d);
    ASSERT_EQ(ErrorOf(good), "(no error)");
    auto locator = [&](int n) {
        std::size_t p = 0x19 + 9 * static_cast<std::size_t>(n);
        return static_cast<std::size_t>(good[p + 1] | (good[p + 2] << 8) | (good[p + 3] << 16) | (good[p + 4] << 24));
    };
    struct Case { std::size_t at; const char* expect; };
    const Case cases[] = {
        {0x0E, "file header"},                  // the preview address
        {locator(0) + 40, "header section"},
        {locator(1) + 30, "classes section"},
        {locator(2) + 5, "object map"},
    };
    for (auto c : cases) {
        auto bad = good;
        bad[c.at] ^= 0x10;
        auto msg = ErrorOf(bad);
        EXPECT_NE(msg.find(c.expect), std::string::npos) << msg;
        EXPECT_NE(msg.find("CRC"), std::string::npos) << msg;
    }
    // A byte inside any object: that object's own CRC catches it.
    for (std::size_t o : ObjectOffsets(good)) {
        auto bad = good;
        bad[o + 4] ^= 0x04;
        auto msg = ErrorOf(bad);
        EXPECT_NE(msg.find("CRC mismatch"), std::string::npos) << o << ": " << msg;
    }
}

TEST(DwgReadErrors, TruncatedFilesEndInAnError) {
    auto d = ostrel::test::EveryKindDrawing();
    auto good = Encode(*d);
    for (std::size_t len = 0; len < good.size(); len += std::max<std::size_t>(1, good.size() / 97)) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len));
        EXPECT_NE(ErrorOf(cut), "(no error)") << len;
    }
}

TEST(DwgReadErrors, RandomDamageNeverCrashes) {
    auto d = ostrel::test::EveryKindDrawing();
    const auto good = Encode(*d);
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<std::size_t> at(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    int failures = 0;
    for (int round = 0; round < 400; ++round) {
        auto bad = good;
        int flips = 1 + round % 8;
        for (int k = 0; k < flips; ++k) bad[at(rng)] = static_cast<std::uint8_t>(byte(rng));
        if (ErrorOf(bad) != "(no error)") ++failures;
    }
    EXPECT_GT(failures, 300);               // nearly every change is noticed
    // Files of random bytes behind a correct version mark.
    for (int round = 0; round < 100; ++round) {
        std::vector<std::uint8_t> noise(64 + round * 37);
        for (auto& b : noise) b = static_cast<std::uint8_t>(byte(rng));
        std::memcpy(noise.data(), "AC1015", 6);
        EXPECT_NE(ErrorOf(noise), "(no error)");
    }
}

TEST(DwgReadErrors, DamageBehindValidCrcsFailsCleanlyOrGivesAWritableDrawing) {
    // Rewrite the CRC of a damaged object so that only the object's own
    // structure can give it away: the reader either stops with a CadError or
    // returns a drawing that the writer can save again.
    auto d = ostrel::test::EveryKindDrawing();
    const auto good = Encode(*d);
    std::mt19937 rng(7);
    int refused = 0, read = 0;
    for (std::size_t o : ObjectOffsets(good)) {
        std::size_t p = o;
        std::uint32_t size = dwg::ReadModularShort(good.data(), good.size(), p);
        for (int round = 0; round < 4; ++round) {
            auto bad = good;
            bad[p + rng() % size] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            std::uint16_t crc = dwg::Crc16(dwg::kDwgCrcSeed, bad.data() + o, p - o + size);
            bad[p + size] = static_cast<std::uint8_t>(crc & 0xFF);
            bad[p + size + 1] = static_cast<std::uint8_t>(crc >> 8);
            std::unique_ptr<Drawing> got;
            try {
                got = dwg::DecodeDwg(bad.data(), bad.size());
            } catch (const CadError&) {
                ++refused;
                continue;
            }
            ++read;
            try {
                Encode(*got);
            } catch (const CadError&) {
                // a drawing the format cannot hold is refused clearly too
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}
