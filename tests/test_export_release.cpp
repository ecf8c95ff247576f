// An export gives back what the record loop has passed; a seek back before
// it reads the same lines again, with the same line numbers, from the file.
#include <gtest/gtest.h>

#include <unistd.h>

#include "ostrel/errors.h"
#include "run/record_reader.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ScriptedPrompter;
using test::TempDir;
using test::WriteFile;

TEST(ExportRelease, LinesPassedAndGivenBackReadTheSameAfterASeekBack) {
    TempDir dir;
    const std::string path = dir.file("big.txt");
    std::string text;
    for (int i = 0; text.size() < (std::size_t{12} << 20); ++i) text += "POINT,P" + std::to_string(i) + ",1.5,2.5,3\r\n";
    WriteFile(path, text);
    ScriptedPrompter prompter;
    auto file = OpenForInput(path, true, prompter);
    ASSERT_TRUE(file);

    std::vector<std::string> first;
    while (!file->AtEnd()) {
        first.emplace_back(file->ReadLine());
        if (first.size() % 1000 == 0) file->ReleaseBefore(file->Position());
    }
    for (std::int64_t at : {std::int64_t{1}, std::int64_t{5} << 20}) {
        file->Seek(at);
        const std::int64_t line = file->LineNumber();
        std::vector<std::string> again;
        while (!file->AtEnd()) again.emplace_back(file->ReadLine());
        ASSERT_LE(again.size(), first.size());
        EXPECT_TRUE(std::equal(again.begin() + 1, again.end(), first.end() - (again.size() - 1)));
        EXPECT_EQ(line + static_cast<std::int64_t>(again.size()), static_cast<std::int64_t>(first.size()));
        file->ReleaseBefore(file->Position());
    }

    // Given back, then shortened by another program: the seek back ends the
    // read as the end of the file does.
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    try {
        file->Seek(1);
        file->ReadLine();
        FAIL() << "no error for bytes the file no longer holds";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::EndOfFile);
    }
}

} // namespace
} // namespace ostrel
