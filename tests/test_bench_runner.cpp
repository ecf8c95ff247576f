// The benchmark runner's own pieces: counting the entities of a DXF's
// ENTITIES section, and timing a program with what it wrote.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace {

// Runs Python code with the runner loaded as module `r`.
ostrel::test::CommandResult WithRunner(const std::string& dir, const std::string& code) {
    ostrel::test::WriteFile(dir + "/probe.py",
                            "import importlib.machinery, importlib.util, sys\n"
                            "loader = importlib.machinery.SourceFileLoader('r', sys.argv[1])\n"
                            "found = importlib.util.spec_from_loader('r', loader)\n"
                            "r = importlib.util.module_from_spec(found)\n"
                            "loader.exec_module(r)\n" +
                                code);
    return ostrel::test::RunCommand("/usr/bin/python3 " + dir + "/probe.py " +
                                    ostrel::test::SourcePath("bench/run") + " " + dir);
}

} // namespace

TEST(BenchRunner, CountsOnlyTheEntitiesSectionAndNotValuesOfZero) {
    ostrel::test::TempDir dir;
    ostrel::test::WriteFile(dir.file("d.dxf"),
                            "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  0\nPOLYLINE\n  0\nENDSEC\n"
                            "  0\nSECTION\n  2\nENTITIES\n"
                            "  0\nPOINT\n  8\n0\n 62\n0\n100\nAcDbPoint\n"
                            "  0\n3DFACE\n  8\n0\n 30\n0\n"
                            "  0\nPOLYLINE\n  0\nVERTEX\n  0\nVERTEX\n  0\nSEQEND\n"
                            "  0\nENDSEC\n  0\nEOF\n");
    auto r = WithRunner(dir.path().string(),
                        "print(sorted(r.dxf_entity_counts(sys.argv[2] + '/d.dxf').items()))\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "[('3DFACE', 1), ('POINT', 1), ('POLYLINE', 1), ('SEQEND', 1), ('VERTEX', 2)]\n");
}

TEST(BenchRunner, TimesAProgramAndTellsAFailureWithItsMessage) {
    ostrel::test::TempDir dir;
    auto r = WithRunner(dir.path().string(),
                        "out = sys.argv[2] + '/out.txt'\n"
                        "m = r.timed(['/bin/sh', '-c', 'printf 12345 > ' + out], out, 2)\n"
                        "print(m.ok, m.output_bytes, m.wall >= 0, m.cpu >= 0, m.peak_kb > 0)\n"
                        "m = r.timed(['/bin/sh', '-c', 'echo broken >&2; exit 3'], out, 1)\n"
                        "print(m.ok, m.detail)\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "True 5 True True True\nFalse exit 3: broken\n");
}
