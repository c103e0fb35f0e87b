// The uninstaller's guards: which list lines may name a file, which
// folders are an installation, short and long names of one folder, the
// hand-over its copy takes, and the WININIT.INI line that deletes the copy
// at restart on Windows 95/98.
#include "uninstall/installed_files.h"
#include "uninstall/path_forms.h"
#include "uninstall/self_removal.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(Uninstall, ListLinesThatMayNameAFile)
{
    const struct {
        const char *line;
        bool safe;
    } lines[] = {
        {"nimbalun.exe", true}, {"Instruct.htm\\English.htm\\nimbalun.htm", true}, {"a.b\\c", true},
        {"", false}, {"\\Windows\\win.ini", false}, {"C:\\outside.txt", false}, {"C:outside.txt", false},
        {"..\\outside.txt", false}, {"sources\\..\\..\\outside.txt", false}, {".. \\outside.txt", false},
        {"sources\\...\\x", false}, {"sources\\\\x", false}, {"sources\\", false}, {"dir.\\x", false},
        {"a/../b", false}, {"*.*", false}, {"a\tb", false},
    };
    for (const auto &row : lines)
        EXPECT_EQ(IsSafeListedName(row.line), row.safe) << row.line;
}

// A list is whole when it ends with a line end and names itself; it makes
// an installation when it names the product's program too.
TEST(Uninstall, WhichFoldersAreAnInstallation)
{
    nltest::TempDir temp;
    const struct {
        const char *list;       // null: no list; "": no file at all
        int state;
    } folders[] = {
        {"nimbalun.exe\r\nUninstal.lst\r\n", ProductInstallation},
        {"nimbalun.exe\nUninstal.lst\n", ProductInstallation},
        {"nimbalun.exe\r\nUninstal.lst\r\nsources\\LISEZ", DamagedList},
        {"nimbalun.exe\r\nUninstal.lst", DamagedList},
        {"nimbalun.exe\r\n", DamagedList},
        {"other.exe\r\nUninstal.lst\r\n", NotAnInstallation},
        {nullptr, NotAnInstallation},
        {"", FolderEmpty},
    };
    int i = 0;
    for (const auto &row : folders) {
        const std::string folder = temp / std::to_string(i++);
        ASSERT_TRUE(nltest::MakeDirectories(folder));
        if (!row.list || row.list[0]) {
            ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(folder, row.list ? "Uninstal.lst" : "mine.txt"),
                                               row.list ? row.list : "the user's"));
        }
        EXPECT_EQ(CheckInstallation(folder.c_str()), row.state) << (row.list ? row.list : "(none)");
    }
    EXPECT_EQ(CheckInstallation((temp / "gone").c_str()), FolderMissing);
}

TEST(Uninstall, ShortAndLongNamesNameOneFolder)
{
    nltest::TempDir temp;
    const std::string folder = temp / "Nimba Lune Folder", file = nltest::JoinPath(folder, "a long name.txt");
    ASSERT_TRUE(nltest::MakeDirectories(folder));
    ASSERT_TRUE(nltest::WriteFileBytes(file, "x"));
    ASSERT_TRUE(nltest::MakeDirectories(temp / "Nimba Lune Folder2"));
    char shortFolder[MAX_PATH], shortFile[MAX_PATH];
    ASSERT_TRUE(GetShortPathNameA(folder.c_str(), shortFolder, MAX_PATH));
    ASSERT_TRUE(GetShortPathNameA(file.c_str(), shortFile, MAX_PATH));
    ASSERT_NE(std::string(shortFolder), folder);
    const struct {
        std::string path;
        std::string folder;
        bool below;
    } rows[] = {
        {file, shortFolder, true}, {shortFile, folder, true}, {folder + "\\gone.txt", folder, true},
        {folder, folder, false}, {temp / "Nimba Lune Folder2\\x", folder, false}, {file, temp.path(), true},
    };
    for (const auto &row : rows)
        EXPECT_EQ(LiesBelow(row.path.c_str(), row.folder.c_str()), row.below) << row.path << " in " << row.folder;
    EXPECT_TRUE(SamePath(shortFolder, folder.c_str()));
    EXPECT_FALSE(SamePath(shortFolder, (temp / "Nimba Lune Folder2").c_str()));
}

TEST(Uninstall, HandOverComesOnlyFromTheOriginal)
{
    HANDLE handOver = CreateHandOver(1234, "C:\\NimbaLun\\");
    ASSERT_NE(handOver, nullptr);
    HANDLE notHandOver = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const std::string memory = std::to_string((UINT_PTR)handOver);
    const struct {
        std::string command;
        const char *folder;     // null when it is no hand-over
    } commands[] = {
        {"x.exe /finish 1234 C:\\Mine", nullptr},
        {"x.exe /finish 1234 " + memory + " C:\\Mine", nullptr},
        {"x.exe /finish 99 " + memory, nullptr},
        {"x.exe /finish 1234 " + std::to_string((UINT_PTR)notHandOver), nullptr},
        {"\"x.exe\"", nullptr},
        // Last: the copy takes the hand-over over.
        {"\"C:\\TEMP\\NLUN0001.EXE\" /finish 1234 " + memory, "C:\\NimbaLun"},
    };
    for (const auto &row : commands) {
        DWORD original = 0;
        char folder[256] = "untouched";
        EXPECT_EQ(ReadHandOver(row.command.c_str(), &original, folder, sizeof folder), row.folder != nullptr)
            << row.command;
        if (row.folder) {
            EXPECT_EQ(original, 1234u);
            EXPECT_STREQ(folder, row.folder);
        }
    }
    CloseHandle(notHandOver);
}

TEST(Uninstall, RenameLinesAddUpInWininit)
{
    nltest::TempDir temp;
    std::string wininit = nltest::JoinPath(temp.path(), "wininit.ini");
    std::string others;
    for (int i = 0; others.size() < 20000; i++)
        others += "NUL=C:\\OTHER\\F" + std::to_string(i) + ".TMP\r\n";
    const struct {
        std::string before;
        std::string after;
    } files[] = {
        {"", "[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n"},
        {"[rename]\r\nNUL=C:\\OLD.EXE\r\n[other]\r\nx=1",
         "[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\nNUL=C:\\OLD.EXE\r\n[other]\r\nx=1"},
        {"[other]\r\nx=1", "[other]\r\nx=1\r\n[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n"},
        {"[Rename]  ", "[Rename]  \r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n"},
        // 40 KB, the header past the first 4 KB read.
        {"[other]\r\n" + others + "[rename]\r\n" + others, "[other]\r\n" + others + "[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n" + others},
    };
    for (const auto &row : files) {
        DeleteFileA(wininit.c_str());
        if (!row.before.empty()) {
            ASSERT_TRUE(nltest::WriteFileBytes(wininit, row.before));
        }
        EXPECT_TRUE(AddRenameLine(wininit.c_str(), "NUL=C:\\TEMP\\NLUN1.EXE"));
        EXPECT_EQ(nltest::ReadFileText(wininit), row.after) << row.before;
        // Written beside it, then put in its place.
        EXPECT_EQ(nltest::DirectoryEntries(temp.path()), std::set<std::string>{"wininit.ini"});
    }
}

} // namespace
