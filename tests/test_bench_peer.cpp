// The benchmark's peer: the ezdxf script writes the manifest's drawing (the
// same kinds and counts, layers, blocks and linetypes), read back by ezdxf.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "../bench/survey_generator.h"
#include "support/test_support.h"

using namespace ostrel::bench;

namespace {

bool HaveEzdxf() { return ostrel::test::RunCommand("/usr/bin/python3 -c 'import ezdxf'").exitCode == 0; }

// Counts of the written drawing as "NAME count" lines.
const char* const kReadBack = R"PY(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
counts = {}
for e in doc.modelspace():
    counts[e.dxftype()] = counts.get(e.dxftype(), 0) + 1
    if e.dxftype() == "POLYLINE":
        counts["VERTEX"] = counts.get("VERTEX", 0) + len(e.vertices)
        counts["SEQEND"] = counts.get("SEQEND", 0) + 1
for k, v in sorted(counts.items()):
    print(k, v)
print("layers", len(doc.layers))
print("linetypes", len(doc.linetypes))
print("blocks", sum(1 for b in doc.blocks if b.name.startswith("SYM")))
print("errors", len(doc.audit().errors))
)PY";

} // namespace

TEST(PeerScript, WritesTheManifestsEntitiesLayersBlocksAndLinetypes) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf";
    GeneratorOptions o;
    o.records = 1500;
    o.seed = 4;
    SurveyGenerator gen(o, [](std::string_view) {});
    gen.Run();
    ostrel::test::TempDir dir;
    ostrel::test::WriteFile(dir.file("survey.json"), gen.model.Json(o.seed));
    ostrel::test::WriteFile(dir.file("read.py"), kReadBack);

    auto peer = ostrel::test::RunCommand("/usr/bin/python3 " + ostrel::test::SourcePath("bench/peer_ezdxf.py") + " " +
                                         dir.file("survey.json") + " " + dir.file("peer.dxf"));
    ASSERT_EQ(peer.exitCode, 0) << peer.err;
    auto back = ostrel::test::RunCommand("/usr/bin/python3 " + dir.file("read.py") + " " + dir.file("peer.dxf"));
    ASSERT_EQ(back.exitCode, 0) << back.err;

    std::map<std::string, std::uint64_t> got;
    std::istringstream lines(back.out);
    std::string name;
    std::uint64_t value;
    while (lines >> name >> value) got[name] = value;
    for (int k = 0; k < kKinds; ++k) {
        std::string kind = KindName(static_cast<Kind>(k));
        EXPECT_EQ(got[kind], gen.model.kindCount[k]) << kind;
    }
    EXPECT_EQ(got["layers"], gen.model.layers.size() + 2);   // and ezdxf's own "0" and "Defpoints"
    EXPECT_EQ(got["linetypes"], gen.model.linetypes.size() + 3);
    EXPECT_EQ(got["blocks"], gen.model.blocks.size());
    EXPECT_EQ(got["errors"], 0u);
}

TEST(PeerScript, RefusesAMissingManifestWithAMessage) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf";
    ostrel::test::TempDir dir;
    auto r = ostrel::test::RunCommand("/usr/bin/python3 " + ostrel::test::SourcePath("bench/peer_ezdxf.py") + " " +
                                      dir.file("none.json") + " " + dir.file("peer.dxf"));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("cannot read the manifest"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Traceback"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("peer.dxf")));
}
