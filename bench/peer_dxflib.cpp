// The compiled peer of the benchmark: the drawing that the generator's
// survey.json describes, written as DXF R2000 with dxflib (the C++ DXF
// library of a well-known CAD program). The same layers with their colours
// and linetypes, the same symbol blocks, the same entity kinds and counts on
// the same layers with the same explicit colours, polylines with the same
// vertex totals and widths (plan polylines as dxflib writes them at R2000:
// LWPOLYLINE). It reads no export and applies no conversion
// rules: coordinates come from a seeded random source inside the survey's
// extents, as in peer_ezdxf.py.
//
//   peer_dxflib MANIFEST OUT.dxf
#include <dxflib/dl_dxf.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

struct Random {
    std::mt19937_64 engine;
    double Uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(engine); }
};

DL_Attributes Attributes(const std::string& layer, int colour, const std::string& linetype = "BYLAYER") {
    return DL_Attributes(layer, colour, 0, linetype, 1.0);
}

constexpr int kByLayer = 256;
constexpr int kByBlock = 0;

// A plan polyline. dxflib writes polylines of R2000 as LWPOLYLINE (one
// entity holding its points), so a width is the constant width (43) and the
// vertex colour has no place (the entity colour stands).
void WritePlanPolyline(DL_Dxf& dxf, DL_WriterA& dw, const std::vector<std::array<double, 3>>& points, int flags,
                       double width, const DL_Attributes& attributes) {
    dxf.writePolyline(dw, DL_PolylineData(static_cast<int>(points.size()), 0, 0, flags), attributes);
    if (width > 0) dw.dxfReal(43, width);
    for (auto& p : points) dxf.writeVertex(dw, DL_VertexData(p[0], p[1], p[2], 0.0));
    dxf.writePolylineEnd(dw);
}

// A 3D polyline: dxflib has no call for it at R2000, so it is spelled with
// dxflib's own writer primitives as POLYLINE, VERTEX ... SEQEND.
void Write3dPolyline(DL_WriterA& dw, const std::vector<std::array<double, 3>>& points, const DL_Attributes& attributes,
                     int vertexColour) {
    dw.entity("POLYLINE");
    dw.entityAttributes(attributes);
    dw.subClass("AcDb3dPolyline");
    dw.dxfInt(66, 1);
    dw.coord(10, 0, 0, 0);
    dw.dxfInt(70, 8);
    DL_Attributes va = attributes;
    if (vertexColour >= 0) va.setColor(vertexColour);
    for (auto& p : points) {
        dw.entity("VERTEX");
        dw.entityAttributes(va);
        dw.subClass("AcDbVertex");
        dw.subClass("AcDb3dPolylineVertex");
        dw.coord(10, p[0], p[1], p[2]);
        dw.dxfInt(70, 32);
    }
    dw.entity("SEQEND");
    dw.entityAttributes(attributes);
}

int Run(const json& m, const char* path) {
    DL_Dxf dxf;
    std::unique_ptr<DL_WriterA> dw(dxf.out(path, DL_Codes::AC1015));
    if (!dw) {
        std::fprintf(stderr, "peer_dxflib: cannot write %s\n", path);
        return 1;
    }
    Random rnd{std::mt19937_64(m.value("seed", 1))};
    auto& ext = m["extents"];
    double x0 = ext[0], y0 = ext[1], x1 = ext[2], y1 = ext[3];
    auto point3 = [&] { return std::array<double, 3>{rnd.Uniform(x0, x1), rnd.Uniform(y0, y1), rnd.Uniform(40, 60)}; };

    // Linetypes: every record the conversion makes; repeated names get a number.
    std::vector<std::string> linetypeNames;
    std::map<std::string, int> seen;
    for (auto& lt : m["linetypes"]) {
        std::string name = lt["name"];
        std::string upper = name;
        for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (seen.count(name) || upper == "CONTINUOUS" || upper == "BYLAYER" || upper == "BYBLOCK")
            name += "-" + std::to_string(++seen[name]);
        else
            seen[name] = 0;
        linetypeNames.push_back(name);
    }

    dxf.writeHeader(*dw);
    dw->sectionEnd();
    dw->sectionTables();
    dxf.writeVPort(*dw);
    dw->tableLinetypes(static_cast<int>(3 + linetypeNames.size()));
    dxf.writeLinetype(*dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(*dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(*dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    std::size_t i = 0;
    for (auto& lt : m["linetypes"]) {
        double d1 = lt["pattern"][0], g1 = lt["pattern"][1], d2 = lt["pattern"][2], g2 = lt["pattern"][3];
        double pattern[4] = {d1, -g1, d2, -g2};
        dxf.writeLinetype(*dw, DL_LinetypeData(linetypeNames[i], linetypeNames[i], 0, 4, d1 + g1 + d2 + g2, pattern));
        ++i;
    }
    dw->tableEnd();

    // Layers in the order they are made, each with its colour and linetype.
    dw->tableLayers(static_cast<int>(1 + m["layers"].size()));
    dxf.writeLayer(*dw, DL_LayerData("0", 0), Attributes("", 7, "CONTINUOUS"));
    std::size_t nextLinetype = 0;
    for (auto& layer : m["layers"]) {
        int colour = layer["colour"];
        std::string linetype = "CONTINUOUS";
        if (!layer["linetype"].get<std::string>().empty()) linetype = linetypeNames[nextLinetype++];
        dxf.writeLayer(*dw, DL_LayerData(layer["name"], 0), Attributes("", colour >= 1 && colour <= 255 ? colour : 7,
                                                                       linetype));
    }
    dw->tableEnd();
    dw->tableStyle(1);
    dxf.writeStyle(*dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw->tableEnd();
    dxf.writeView(*dw);
    dxf.writeUcs(*dw);
    dw->tableAppid(1);
    dxf.writeAppid(*dw, "ACAD");
    dw->tableEnd();
    dxf.writeDimStyle(*dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(*dw);
    for (auto& block : m["blocks"]) dxf.writeBlockRecord(*dw, block["name"]);
    dw->tableEnd();
    dw->sectionEnd();

    // Symbol blocks: one heavy polyline per outline, coloured by block.
    dw->sectionBlocks();
    dxf.writeBlock(*dw, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(*dw, "*Model_Space");
    dxf.writeBlock(*dw, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(*dw, "*Paper_Space");
    for (auto& block : m["blocks"]) {
        std::string name = block["name"];
        dxf.writeBlock(*dw, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
        for (auto& outline : block["outlines"]) {
            std::vector<std::array<double, 3>> points;
            for (auto& v : outline["vertices"]) points.push_back({v[0].get<double>(), v[1].get<double>(), 0.0});
            WritePlanPolyline(dxf, *dw, points, outline["closed"].get<bool>() ? 1 : 0, 0, Attributes("0", kByBlock));
        }
        dxf.writeEndBlock(*dw, name);
    }
    dw->sectionEnd();

    dw->sectionEntities();
    std::vector<std::array<double, 3>> points;
    for (auto& g : m["groups"]) {
        std::string kind = g["kind"], layer = g["layer"];
        long long count = g["count"];
        int colour = g["colour"];
        DL_Attributes attributes = Attributes(layer, colour >= 0 ? colour : kByLayer);
        if (kind == "POINT") {
            for (long long n = 0; n < count; ++n) {
                auto p = point3();
                dxf.writePoint(*dw, DL_PointData(p[0], p[1], p[2]), attributes);
            }
        } else if (kind == "INSERT") {
            std::string block = g["block"];
            for (long long n = 0; n < count; ++n) {
                auto p = point3();
                double rotation = rnd.Uniform(0, 2 * M_PI) * 180.0 / M_PI;
                dxf.writeInsert(*dw, DL_InsertData(block, p[0], p[1], p[2], 2.0, 2.0, 1.0, rotation, 1, 1, 0, 0),
                                attributes);
            }
        } else if (kind == "TEXT") {
            char text[32];
            for (long long n = 0; n < count; ++n) {
                auto p = point3();
                std::snprintf(text, sizeof text, "%.2f", rnd.Uniform(40, 60));
                double rotation = rnd.Uniform(0, 2 * M_PI) * 180.0 / M_PI;
                dxf.writeText(*dw, DL_TextData(p[0], p[1], p[2], 0, 0, 0, 0.75, 1.0, 0, 0, 0, text, "Standard", rotation),
                              attributes);
            }
        } else if (kind == "CIRCLE") {
            for (long long n = 0; n < count; ++n) {
                auto p = point3();
                dxf.writeCircle(*dw, DL_CircleData(p[0], p[1], p[2], rnd.Uniform(0.3, 6.0)), attributes);
            }
        } else if (kind == "3DFACE") {
            for (long long n = 0; n < count; ++n) {
                auto p = point3();
                dxf.write3dFace(*dw,
                                DL_3dFaceData(p[0], p[1], p[2], p[0] + 5, p[1], p[2] + 0.2, p[0], p[1] + 5, p[2] - 0.1,
                                              p[0], p[1] + 5, p[2] - 0.1),
                                attributes);
            }
        } else if (kind == "POLYLINE") {
            double width = g["width"];
            int flags = g["flags"];
            bool threeD = flags == 8;
            long long vertices = g["vertices"];
            long long base = count ? vertices / count : 0, extra = count ? vertices % count : 0;
            bool linetypePerEntity = g["linetype_per_entity"];
            int vertexColour = g["vertex_colour"];
            for (long long n = 0; n < count; ++n) {
                long long k = base + (n < extra ? 1 : 0);
                auto p = point3();
                points.clear();
                for (long long v = 0; v < k; ++v) {
                    p[0] += rnd.Uniform(-5, 5);
                    p[1] += rnd.Uniform(-5, 5);
                    points.push_back(p);
                }
                DL_Attributes a = attributes;
                if (linetypePerEntity) a.setLinetype(linetypeNames[nextLinetype++]);
                if (threeD) Write3dPolyline(*dw, points, a, vertexColour);
                else WritePlanPolyline(dxf, *dw, points, 128, width, a);
            }
        } else {
            std::fprintf(stderr, "peer_dxflib: unknown kind %s in the manifest\n", kind.c_str());
            return 1;
        }
    }
    dw->sectionEnd();
    dxf.writeObjects(*dw);
    dxf.writeObjectsEnd(*dw);
    dw->dxfEOF();
    dw->close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: peer_dxflib MANIFEST OUT.dxf\n");
        return 2;
    }
    json manifest;
    try {
        std::ifstream in(argv[1]);
        if (!in) throw std::runtime_error("cannot open it");
        manifest = json::parse(in);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "peer_dxflib: cannot read the manifest %s: %s\n", argv[1], e.what());
        return 1;
    }
    std::string part = std::string(argv[2]) + ".part";
    int status = 1;
    try {
        status = Run(manifest, part.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "peer_dxflib: %s\n", e.what());
    }
    if (status == 0 && std::rename(part.c_str(), argv[2]) != 0) status = 1;
    if (status != 0) std::remove(part.c_str());
    return status;
}
