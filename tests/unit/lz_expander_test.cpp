// The expander against the crafted stored files of tests/medium/lz_cases.txt,
// which the medium checker must judge alike: whether each copy arrives
// whole, and with which bytes; and against LZ32 on the files the medium's
// encoder wrote for the table.
#include "install/lz_expander.h"
#include "support/test_support.h"
#include "tools/bench/lz_floor.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

using nltest::JoinPath;
using nltest::ReadFileText;
using nltest::TempDir;
using nltest::WriteFileBytes;

// Hexadecimal bytes; "." separates groups, "HEX*N" repeats one N times.
std::string FromHex(const std::string &text)
{
    std::string bytes;
    if (text == "-")
        return bytes;
    std::istringstream groups(text);
    for (std::string group; std::getline(groups, group, '.');) {
        size_t star = group.find('*');
        std::string once;
        for (size_t i = 0; i + 1 < group.size() && i + 1 < star; i += 2)
            once += (char)std::stoi(group.substr(i, 2), nullptr, 16);
        for (int times = star == std::string::npos ? 1 : std::stoi(group.substr(star + 1)); times > 0; --times)
            bytes += once;
    }
    return bytes;
}

// CopyExpanded from a file holding `stored`; the copy's bytes go to `copied`.
bool Expand(const TempDir &dir, const std::string &stored, std::string &copied)
{
    std::string from = dir / "stored", to = dir / "copied";
    EXPECT_TRUE(WriteFileBytes(from, stored));
    HANDLE source = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE destination = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(source, INVALID_HANDLE_VALUE);
    EXPECT_NE(destination, INVALID_HANDLE_VALUE);
    bool whole = CopyExpanded(source, destination) != 0;
    CloseHandle(source);
    CloseHandle(destination);
    copied = ReadFileText(to);
    return whole;
}

TEST(LzExpander, JudgesEveryCraftedFileAsTheMediumCheckerDoes)
{
    std::istringstream table(ReadFileText(JoinPath(nltest::SourceDir(), "tests\\medium\\lz_cases.txt")));
    TempDir dir("lz");
    int cases = 0;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string name, verdict, stored, expanded;
        if (!(fields >> name >> verdict >> stored >> expanded) || name[0] == '#')
            continue;
        SCOPED_TRACE(name);
        ++cases;
        // The medium's encoder wrote these in the build; LZ32 must read them too.
        if (stored == "encoder") {
            std::string encoded = JoinPath(nltest::BuildDir(), "lz-encoded\\" + name);
            ASSERT_TRUE(LzCopyFloor(encoded, dir / "by-lz32"));
            EXPECT_EQ(ReadFileText(dir / "by-lz32"), FromHex(expanded));
            stored = ReadFileText(encoded);
        } else {
            stored = FromHex(stored);
        }
        std::string copied;
        bool whole = Expand(dir, stored, copied);
        EXPECT_EQ(whole ? "whole" : "refused", verdict);
        if (verdict == "whole") {
            EXPECT_EQ(copied, FromHex(expanded));
        }
    }
    EXPECT_GE(cases, 40);
}

// Each file below `medium` that the build stored compressed, and whose
// original the sample product holds, by the setup's expander and by LZ32.
void ExpandEachCompressed(const TempDir &dir, const std::string &medium, const std::string &product, int &count)
{
    nltest::ForEachEntry(medium, [&](const WIN32_FIND_DATAA &entry) {
        std::string stored = JoinPath(medium, entry.cFileName), original = JoinPath(product, entry.cFileName);
        if (nltest::IsDirectoryEntry(entry)) {
            ExpandEachCompressed(dir, stored, original, count);
            return;
        }
        std::string bytes = ReadFileText(stored);
        if (bytes.compare(0, 4, "SZDD") != 0 || !nltest::FileExists(original))
            return;
        SCOPED_TRACE(stored);
        ++count;
        std::string copied;
        EXPECT_TRUE(Expand(dir, bytes, copied));
        EXPECT_EQ(copied, ReadFileText(original));
        ASSERT_TRUE(LzCopyFloor(stored, dir / "by-lz32"));
        EXPECT_EQ(ReadFileText(dir / "by-lz32"), copied);
    });
}

TEST(LzExpander, ExpandsTheSampleMediumsEncodedFilesAsLz32Does)
{
    TempDir dir("lz");
    int count = 0;
    ExpandEachCompressed(dir, JoinPath(nltest::BuildDir(), "medium"), JoinPath(nltest::BuildDir(), "sample-product"),
                         count);
    EXPECT_GE(count, 5);
}

} // namespace
