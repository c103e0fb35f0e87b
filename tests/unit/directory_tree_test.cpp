// Removal of directory trees on real files: protected files, failures that
// must show in the result, the current directory, and directory links that
// must not be followed.
// wine-fixture: directory_links
#include "install/directory_tree.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using nltest::DirectoryExists;
using nltest::FileExists;
using nltest::JoinPath;
using nltest::TempDir;
using nltest::WriteFileBytes;

// Keeps the test program's current directory whatever a test does.
class TreeTest : public ::testing::Test {
protected:
    nltest::SavedCurrentDirectory saved;
};

void WriteProtected(const std::string &path, DWORD attributes)
{
    ASSERT_TRUE(WriteFileBytes(path, path));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));
}

TEST_F(TreeTest, ThreeLevelsWithProtectedFilesGoCompletely)
{
    TempDir base("tree");
    std::string top = base / "top";
    ASSERT_TRUE(nltest::MakeDirectories(top + "\\one\\two\\three"));
    nltest::MakeDirectories(top + "\\empty");
    WriteProtected(top + "\\plain.txt", FILE_ATTRIBUTE_NORMAL);
    WriteProtected(top + "\\one\\readonly.txt", FILE_ATTRIBUTE_READONLY);
    WriteProtected(top + "\\one\\two\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    WriteProtected(top + "\\one\\two\\three\\system.sys", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    WriteProtected(top + "\\one\\two\\three\\all.dat",
                   FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    // A path long enough that OpenFile cannot delete the file it names.
    std::string deep = top + "\\" + std::string(60, 'd');
    nltest::MakeDirectories(deep);
    WriteProtected(deep + "\\" + std::string(80, 'f') + ".txt", FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(RemoveDirectoryTree(top.c_str()), 1);
    EXPECT_FALSE(DirectoryExists(top));
    EXPECT_TRUE(DirectoryExists(base.path()));

    // A directory named like a file, with nothing in it.
    std::string empty = base / "english.txt";
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    EXPECT_EQ(RemoveDirectoryTree(empty.c_str()), 1);
    EXPECT_FALSE(DirectoryExists(empty));
}

TEST_F(TreeTest, WhatCannotBeRemovedShowsInTheResult)
{
    TempDir base("tree");
    EXPECT_EQ(RemoveDirectoryTree((base / "missing").c_str()), 0);

    std::string file = base / "plain.txt";
    WriteFileBytes(file, "stays");
    EXPECT_EQ(RemoveDirectoryTree(file.c_str()), 0);
    EXPECT_EQ(nltest::ReadFileText(file), "stays");

    // A file in use stays with the directories above it; the rest goes.
    std::string top = base / "top";
    nltest::MakeDirectories(top + "\\held\\inner");
    nltest::MakeDirectories(top + "\\free");
    WriteFileBytes(top + "\\held\\inner\\open.txt", "open");
    WriteFileBytes(top + "\\held\\inner\\other.txt", "other");
    WriteFileBytes(top + "\\free\\a.txt", "a");
    WriteFileBytes(top + "\\b.txt", "b");
    HANDLE open = CreateFileA((top + "\\held\\inner\\open.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RemoveDirectoryTree(top.c_str()), 0);
    CloseHandle(open);
    EXPECT_TRUE(FileExists(top + "\\held\\inner\\open.txt"));
    EXPECT_FALSE(FileExists(top + "\\held\\inner\\other.txt"));
    EXPECT_FALSE(DirectoryExists(top + "\\free"));
    EXPECT_FALSE(FileExists(top + "\\b.txt"));
}

TEST_F(TreeTest, CurrentDirectoryIsTheSameAfterwards)
{
    TempDir base("tree");
    std::string here = base / "medium";
    nltest::MakeDirectories(here);
    std::string doomed = base / "doomed";
    nltest::MakeDirectories(doomed + "\\sub");

    // From a folder, with a path given from the drive's root as the
    // install sequence gives its obsolete directories.
    ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
    std::string fromRoot = doomed.substr(2);
    ASSERT_EQ(fromRoot[0], '\\');
    EXPECT_EQ(RemoveDirectoryTree(fromRoot.c_str()), 1);
    EXPECT_FALSE(DirectoryExists(doomed));
    EXPECT_EQ(nltest::CurrentDirectory(), here);

    // From the root of the drive.
    nltest::MakeDirectories(doomed);
    std::string root = here.substr(0, 3);
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    EXPECT_EQ(RemoveDirectoryTree(doomed.c_str()), 1);
    EXPECT_EQ(nltest::CurrentDirectory(), root);

    // A failed removal restores it too.
    ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
    EXPECT_EQ(RemoveDirectoryTree((base / "missing").c_str()), 0);
    EXPECT_EQ(nltest::CurrentDirectory(), here);
}

TEST_F(TreeTest, DirectoryLinksAreNeverFollowed)
{
    std::string links = JoinPath(nltest::BuildDir(), "testdata\\links");
    std::string tree = links + "\\tree";
    std::string target = links + "\\target";
    DWORD attributes = GetFileAttributesA((tree + "\\link").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "fixture missing";
    ASSERT_EQ(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              (DWORD)(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

    int result = RemoveDirectoryTree(tree.c_str());
    EXPECT_EQ(nltest::ReadFileText(target + "\\keep.txt"), "keep\n");
    EXPECT_EQ(nltest::ReadFileText(target + "\\inner\\keep.txt"), "keep too\n");
    EXPECT_FALSE(FileExists(tree + "\\file.txt"));
    EXPECT_FALSE(DirectoryExists(tree + "\\sub"));
    // Wine 8 cannot remove a Linux link to a directory that is not empty;
    // whether the link went or not, the result must say so.
    bool linkGone = GetFileAttributesA((tree + "\\link").c_str()) == INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(result, linkGone ? 1 : 0);
    EXPECT_EQ(DirectoryExists(tree), !linkGone);

    // The link itself given as the tree.
    result = RemoveDirectoryTree((links + "\\toplink").c_str());
    EXPECT_EQ(nltest::ReadFileText(target + "\\keep.txt"), "keep\n");
    EXPECT_EQ(nltest::ReadFileText(target + "\\inner\\keep.txt"), "keep too\n");
    linkGone = GetFileAttributesA((links + "\\toplink").c_str()) == INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(result, linkGone ? 1 : 0);
}

} // namespace
