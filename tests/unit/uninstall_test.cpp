// The uninstaller's guards: which list lines may name a file, the command
// line its copy takes, and the WININIT.INI line that deletes the copy at
// restart on Windows 95/98.
#include "uninstall/installed_files.h"
#include "uninstall/self_removal.h"
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

TEST(Uninstall, FinishingCommandLine)
{
    const struct {
        const char *command;
        DWORD original;
        const char *folder;     // null when it is not the copy's command
    } commands[] = {
        {"\"C:\\TEMP\\NLUN0001.EXE\" /finish 1234 C:\\NimbaLun", 1234, "C:\\NimbaLun"},
        {"NLUN0001.EXE /finish 7 C:\\Program Files\\Nimba Lune\\", 7, "C:\\Program Files\\Nimba Lune"},
        {"\"x.exe\" /finish 7 C:\\", 7, "C:"},
        {"\"x.exe\"", 0, nullptr},
        {"\"x.exe\" /finish C:\\NimbaLun", 0, nullptr},
        {"\"x.exe\" /finish 12 NimbaLun", 0, nullptr},
        {"\"x.exe\" /finish 12345678901234 C:\\NimbaLun", 0, nullptr},
    };
    for (const auto &row : commands) {
        DWORD original = 0;
        char folder[256] = "untouched";
        EXPECT_EQ(ParseFinishCommand(row.command, &original, folder, sizeof folder), row.folder != nullptr)
            << row.command;
        if (row.folder) {
            EXPECT_EQ(original, row.original);
            EXPECT_STREQ(folder, row.folder);
        }
    }
}

TEST(Uninstall, RenameLinesAddUpInWininit)
{
    nltest::TempDir temp;
    std::string wininit = nltest::JoinPath(temp.path(), "wininit.ini");
    const struct {
        std::string before;
        std::string after;
    } files[] = {
        {"", "[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n"},
        {"[rename]\r\nNUL=C:\\OLD.EXE\r\n[other]\r\nx=1",
         "[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\nNUL=C:\\OLD.EXE\r\n[other]\r\nx=1"},
        {"[other]\r\nx=1", "[other]\r\nx=1\r\n[rename]\r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n"},
        {"[Rename]  ", "[Rename]  \r\nNUL=C:\\TEMP\\NLUN1.EXE\r\n"},
    };
    for (const auto &row : files) {
        DeleteFileA(wininit.c_str());
        if (!row.before.empty()) {
            ASSERT_TRUE(nltest::WriteFileBytes(wininit, row.before));
        }
        EXPECT_TRUE(AddRenameLine(wininit.c_str(), "NUL=C:\\TEMP\\NLUN1.EXE"));
        EXPECT_EQ(nltest::ReadFileText(wininit), row.after) << row.before;
    }
}

} // namespace
