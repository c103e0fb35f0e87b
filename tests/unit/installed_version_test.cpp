// The installed-version query against real program files and file times.
#include "setup/installed_version.h"
#include "support/test_support.h"
#include "support/version_resource.h"

#include <gtest/gtest.h>

namespace {

struct Version {
    int result;
    DWORD ms, ls;
    bool operator==(const Version &other) const
    {
        return result == other.result && ms == other.ms && ls == other.ls;
    }
};

void PrintTo(const Version &v, std::ostream *out)
{
    *out << "{" << v.result << ", " << v.ms << ", " << v.ls << "}";
}

Version Query(const std::string &path)
{
    Version v = {-1, 0xDEADBEEF, 0xDEADBEEF};
    v.result = QueryInstalledVersion(path.c_str(), &v.ms, &v.ls);
    return v;
}

TEST(InstalledVersion, ComesFromTheVersionResource)
{
    nltest::TempDir dir("version");
    std::string program = dir / "nimbalun.exe";

    ASSERT_TRUE(nltest::WriteVersionedProgram(program, 1, 1, 0, 0));
    EXPECT_EQ(Query(program), (Version{1, 65537u, 0u}));

    ASSERT_TRUE(nltest::WriteVersionedProgram(program, 2, 0, 3, 7));
    EXPECT_EQ(Query(program), (Version{1, 131072u, 196615u}));

    // An all-zero fixed part is taken as it is, not dated by its file time.
    ASSERT_TRUE(nltest::WriteVersionedProgram(program, 0, 0, 0, 0, true));
    ASSERT_TRUE(nltest::SetLocalWriteTime(program, 14, 30, 20));
    EXPECT_EQ(Query(program), (Version{1, 0u, 0u}));
}

TEST(InstalledVersion, WithoutResourceComesFromTheLocalTimeOfDay)
{
    nltest::TempDir dir("version");
    std::string program = dir / "nimbalun.exe";
    ASSERT_TRUE(nltest::WriteFileBytes(program, "no version resource here"));

    ASSERT_TRUE(nltest::SetLocalWriteTime(program, 14, 30, 21));
    // 14 and 30; 20: the seconds rounded down to even.
    EXPECT_EQ(Query(program), (Version{1, 917534u, 1310720u}));

    ASSERT_TRUE(nltest::SetLocalWriteTime(program, 0, 59, 0));
    EXPECT_EQ(Query(program), (Version{1, 59u, 0u}));

    // A test program without a version resource is dated the same way.
    std::string copy = dir / "plain.exe";
    ASSERT_TRUE(CopyFileA(nltest::JoinPath(nltest::ProgramDirectory(), "product_standin.exe").c_str(),
                          copy.c_str(), FALSE));
    ASSERT_TRUE(nltest::SetLocalWriteTime(copy, 23, 59, 59));
    EXPECT_EQ(Query(copy), (Version{1, (23u << 16) | 59u, 58u << 16}));
}

TEST(InstalledVersion, MissingFileGivesNothing)
{
    nltest::TempDir dir("version");
    EXPECT_EQ(Query(dir / "absent.exe"), (Version{0, 0u, 0u}));
    DWORD ms, ls;
    EXPECT_EQ(QueryInstalledVersion(nullptr, &ms, &ls), 0);
}

TEST(FileTimeVersion, WritesOnlyTheWordsAskedFor)
{
    nltest::TempDir dir("version");
    std::string file = dir / "dated.txt";
    ASSERT_TRUE(nltest::WriteFileBytes(file, "x"));
    ASSERT_TRUE(nltest::SetLocalWriteTime(file, 9, 5, 44));

    DWORD ms = 7, ls = 7;
    EXPECT_EQ(QueryFileTimeVersion(file.c_str(), &ms, nullptr), 1);
    EXPECT_EQ(ms, (9u << 16) | 5u);
    EXPECT_EQ(QueryFileTimeVersion(file.c_str(), nullptr, &ls), 1);
    EXPECT_EQ(ls, 44u << 16);
    EXPECT_EQ(QueryFileTimeVersion(file.c_str(), nullptr, nullptr), 1);
    EXPECT_EQ(QueryFileTimeVersion(nullptr, &ms, &ls), 0);
    EXPECT_EQ(QueryFileTimeVersion((dir / "absent.txt").c_str(), &ms, &ls), 0);
}

} // namespace
