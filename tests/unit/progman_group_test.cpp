// The Program Manager group: the distribution's template as the build
// writes it, its copy in the Windows directory patched for the chosen
// drive, and its entry in progman.ini. Both files of the Windows directory
// are put back as they were; a Windows directory past OpenFile's 127
// characters is a test folder the program is shown instead of the prefix's.
#include "desktop/progman_group.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "driver/readback.h"
#include "support/import_override.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace nltest;
using nldriver::GroupPatchFaults;
using nldriver::WindowsDirectory;

namespace {

const size_t (&DriveLetterOffsets)[9] = nldriver::GroupDriveLetterOffsets;
const size_t GroupTextOffset = 4678;

unsigned Word(const std::string &bytes, size_t offset)
{
    return (unsigned char)bytes[offset] | (unsigned char)bytes[offset + 1] << 8;
}

std::string TextAt(const std::string &bytes, size_t offset)
{
    return std::string(bytes.c_str() + offset);
}

std::string GroupTemplate()
{
    return ReadFileText(JoinPath(BuildDir(), "nimbalun.grp"));
}

TEST(GroupTemplate, IsAWindows31GroupFileWithThePathsAtThePatchedOffsets)
{
    std::string bytes = GroupTemplate();
    ASSERT_GT(bytes.size(), 7011u);
    EXPECT_EQ(bytes.substr(0, 4), "PMCC");
    EXPECT_EQ(nldriver::GroupWordSum(bytes), 0u);
    for (size_t offset : DriveLetterOffsets)
        EXPECT_EQ(bytes.substr(offset, 3), "C:\\") << offset;
    EXPECT_EQ(bytes[GroupTextOffset], '\0');

    // Header: title, item table; each item's command line and icon path.
    EXPECT_EQ(TextAt(bytes, Word(bytes, 22)), "Nimbalune");
    unsigned slots = Word(bytes, 32);
    const size_t commands[] = {140, 2416, 4719};
    const char *programs[] = {"NimbaLun.exe", "Configur.exe", "Uninstal.exe"};
    for (unsigned slot = 0; slot < slots; ++slot) {
        unsigned item = Word(bytes, 34 + 2 * slot);
        if (slot >= 3) {
            EXPECT_EQ(item, 0u);
            continue;
        }
        SCOPED_TRACE(slot);
        EXPECT_EQ(Word(bytes, item + 20), commands[slot]);      // pCommand
        EXPECT_EQ(Word(bytes, item + 22), commands[slot] + 25); // pIconPath
        EXPECT_EQ(TextAt(bytes, commands[slot]), std::string("C:\\NimbaLun\\") + programs[slot]);
        EXPECT_FALSE(TextAt(bytes, Word(bytes, item + 18)).empty()); // pName
        unsigned xorOffset = Word(bytes, item + 16), xorSize = Word(bytes, item + 10);
        EXPECT_LE(xorOffset + xorSize, Word(bytes, 6));
    }

    // Tag data after the group: the start mark, one working directory per
    // item, the end mark.
    size_t tag = Word(bytes, 6);
    EXPECT_EQ(Word(bytes, tag), 0x8000u);
    EXPECT_EQ(bytes.substr(tag + 6, 4), "PMCC");
    tag += Word(bytes, tag + 4);
    const size_t directories[] = {6973, 6992, 7011};
    for (unsigned item = 0; item < 3; ++item) {
        EXPECT_EQ(Word(bytes, tag), 0x8101u);
        EXPECT_EQ(Word(bytes, tag + 2), item);
        EXPECT_EQ(tag + 6, directories[item]);
        EXPECT_EQ(TextAt(bytes, tag + 6), "C:\\NimbaLun");
        tag += Word(bytes, tag + 4);
    }
    EXPECT_EQ(Word(bytes, tag), 0xFFFFu);
    EXPECT_EQ(tag + 6, bytes.size());
}

// What GetWindowsDirectoryA answers the program (and the test) while a
// WindowsFolder of some length is in place.
std::string windowsFolder;

UINT WINAPI TestWindowsDirectory(LPSTR buffer, UINT size)
{
    if (windowsFolder.size() >= size)
        return (UINT)windowsFolder.size() + 1;
    lstrcpyA(buffer, windowsFolder.c_str());
    return (UINT)windowsFolder.size();
}

// A Windows directory of exactly `length` characters made in a test
// folder; the prefix's own when length is 0.
class WindowsFolder {
protected:
    explicit WindowsFolder(size_t length)
    {
        if (!length)
            return;
        windowsFolder = temp.path() + "\\" + std::string(length - temp.path().size() - 1, 'w');
        CreateDirectoryA(windowsFolder.c_str(), nullptr);
        answer.reset(new ImportOverride("GetWindowsDirectoryA", reinterpret_cast<const void *>(&TestWindowsDirectory)));
    }

    TempDir temp{"windows"};
    std::unique_ptr<ImportOverride> answer;
};

class ProgmanGroupTest : public ::testing::Test, protected WindowsFolder {
protected:
    explicit ProgmanGroupTest(size_t windowsLength = 0)
        : WindowsFolder(windowsLength), work("group"), windowsDir(WindowsDirectory()),
          groupPath(windowsDir + "\\nimbalun.grp"), settingsPath(windowsDir + "\\progman.ini"), groupBackup(groupPath),
          settingsBackup(settingsPath)
    {
        MakeDirectories(work / "Files.ins");
        DeleteFileA(settingsPath.c_str());
        SetCurrentDirectoryA(work.path().c_str());
    }

    void SetUp() override
    {
        ResetProgramState();
        InitMessageCatalogue();
        lstrcpyA(setupContext.installDir, "D:\\NimbaLun");
    }

    void WriteTemplate(const std::string &bytes) { WriteFileBytes(work / "Files.ins\\nimbalun.grp", bytes); }

    std::string InstalledGroup() { return ReadFileText(groupPath); }

    std::string Setting(const std::string &key)
    {
        char value[256] = {};
        GetPrivateProfileStringA("Groups", key.c_str(), "", value, sizeof value, settingsPath.c_str());
        return value;
    }

    void SetSetting(const std::string &key, const std::string &value)
    {
        WritePrivateProfileStringA("Groups", key.c_str(), value.c_str(), settingsPath.c_str());
    }

    TempDir work;
    std::string windowsDir, groupPath, settingsPath;
    FileBackup groupBackup, settingsBackup;
    SavedCurrentDirectory previousDirectory;
};

// In the prefix's Windows directory, and in one whose group file path is
// past the 127 characters OpenFile takes.
class PatchedGroup : public ProgmanGroupTest, public ::testing::WithParamInterface<size_t> {
protected:
    PatchedGroup() : ProgmanGroupTest(GetParam()) {}
};

TEST_P(PatchedGroup, PatchesTheDriveLettersWhateverTheTemplateHadAndRepairsTheChecksum)
{
    if (GetParam()) {
        ASSERT_EQ(windowsDir.size(), GetParam());
    }
    std::string source = GroupTemplate();
    ASSERT_GT(source.size(), 7011u);
    const char letters[] = "CeZD:a\0q?";
    for (size_t i = 0; i < 9; ++i)
        source[DriveLetterOffsets[i]] = letters[i];
    source[GroupTextOffset] = 'X';
    WriteTemplate(source);

    InstallProgmanGroup(nullptr);

    std::string group = InstalledGroup();
    ASSERT_EQ(group.size(), source.size());
    EXPECT_EQ(GroupPatchFaults(group, 'D'), "");
    EXPECT_EQ(group[GroupTextOffset], '\0');
    // Nothing else changed.
    std::string expected = source;
    for (size_t offset : DriveLetterOffsets)
        expected[offset] = 'D';
    expected[GroupTextOffset] = '\0';
    expected[4] = group[4];
    expected[5] = group[5];
    EXPECT_TRUE(group == expected);
    EXPECT_EQ(Setting("Group1"), groupPath);
}

INSTANTIATE_TEST_SUITE_P(WindowsDirectories, PatchedGroup, ::testing::Values(0, 140));

TEST_F(ProgmanGroupTest, OddLengthLeavesTheLastByteOutOfTheChecksum)
{
    WriteTemplate(GroupTemplate() + "\x7F");

    InstallProgmanGroup(nullptr);

    std::string group = InstalledGroup();
    ASSERT_EQ(group.size() % 2, 1u);
    EXPECT_EQ(group.back(), '\x7F');
    EXPECT_EQ(GroupPatchFaults(group, 'D'), "");
}

// progman.ini's Group1 to Group5 before and after: "group" stands for the
// installed group's path, "GROUP" for it upper-cased, "" for no entry.
struct Registration {
    const char *name;
    std::vector<std::string> before;
    std::vector<std::string> after;
};

const Registration Registrations[] = {
    {"without a settings file Group1 is written and the file made", {}, {"group", "", "", "", ""}},
    {"the first free number is taken",
     {"C:\\WINDOWS\\MAIN.GRP", "C:\\WINDOWS\\ACCESSOI.GRP", "C:\\WINDOWS\\JEUX.GRP"},
     {"C:\\WINDOWS\\MAIN.GRP", "C:\\WINDOWS\\ACCESSOI.GRP", "C:\\WINDOWS\\JEUX.GRP", "group", ""}},
    {"an earlier entry in another letter case means nothing is written",
     {"C:\\WINDOWS\\MAIN.GRP", "GROUP"}, {"C:\\WINDOWS\\MAIN.GRP", "GROUP", "", "", ""}},
    {"an entry behind a free number is listed again", {"", "group"}, {"group", "group", "", "", ""}},
};

TEST_F(ProgmanGroupTest, IsListedUnderTheFirstFreeNumberUnlessAnEarlierOneNamesIt)
{
    std::string upper = groupPath;
    CharUpperA(&upper[0]);
    auto value = [&](const std::string &text) { return text == "group" ? groupPath : text == "GROUP" ? upper : text; };
    WriteTemplate(GroupTemplate());
    for (const Registration &registration : Registrations) {
        SCOPED_TRACE(registration.name);
        DeleteFileA(settingsPath.c_str());
        for (size_t i = 0; i < registration.before.size(); ++i)
            if (!registration.before[i].empty())
                SetSetting("Group" + std::to_string(i + 1), value(registration.before[i]));

        InstallProgmanGroup(nullptr);

        EXPECT_TRUE(FileExists(settingsPath));
        for (size_t i = 0; i < registration.after.size(); ++i)
            EXPECT_EQ(Setting("Group" + std::to_string(i + 1)), value(registration.after[i])) << "Group" << i + 1;
    }
}

TEST_F(ProgmanGroupTest, RunningTwiceGivesAFreshlyPatchedCopyAndOneEntry)
{
    std::string source = GroupTemplate();
    WriteTemplate(source);
    InstallProgmanGroup(nullptr);
    std::string first = InstalledGroup();
    // Spoil the installed copy: the second run copies the template again.
    std::string spoiled = first;
    spoiled[100] ^= 0x55;
    WriteFileBytes(groupPath, spoiled);
    lstrcpyA(setupContext.installDir, "E:\\NimbaLun");

    InstallProgmanGroup(nullptr);

    std::string second = InstalledGroup();
    ASSERT_EQ(second.size(), source.size());
    EXPECT_EQ(second[100], source[100]);
    EXPECT_EQ(GroupPatchFaults(second, 'E'), "");
    EXPECT_EQ(Setting("Group1"), groupPath);
    EXPECT_EQ(Setting("Group2"), "");
}

// A file of 7011 bytes ends just before the last offset; one of 100 holds
// none of them.
class ShortTemplate : public ProgmanGroupTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(ShortTemplate, IsCopiedAndListedButNotPatched)
{
    std::string source = GroupTemplate().substr(0, GetParam());
    WriteTemplate(source);

    InstallProgmanGroup(nullptr);

    EXPECT_TRUE(InstalledGroup() == source);
    EXPECT_EQ(Setting("Group1"), groupPath);
    EXPECT_EQ(Setting("Group2"), "");
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShortTemplate, ::testing::Values(7011, 100));

} // namespace
