// The uninstall entry and the shortcuts, against the real registry, the
// shell's link object and real folders. The "Shell Folders" values point at
// folders of the test; every value, key and process is put back or ended.
#include "desktop/shell_links.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "support/product_names.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace nltest;

namespace {

struct ExpectedLink {
    std::string folder;
    std::string name;       // as the catalogue has it, in the current language
    std::string program;
};

// A shortcut's name in the current language, without its backslash.
std::string LinkName(int id)
{
    return MessageText(id) + 1;
}

class ShellLinksTest : public ::testing::Test {
protected:
    ShellLinksTest()
        : root("shell"), uninstallBackup(HKEY_LOCAL_MACHINE, UninstallKey),
          explorersBefore(ProcessIds("explorer.exe"))
    {
        programs = root / "Programs";
        startMenu = root / "Start Menu";
        desktop = root / "Desktop";
        startUp = root / "StartUp";
        installDir = root / "NimbaLun";
        for (const std::string &folder : {programs, startMenu, desktop, startUp, installDir})
            MakeDirectories(folder);
        folders.Set("Programs", programs);
        folders.Set("Start Menu", startMenu);
        folders.Set("Desktop", desktop);
        folders.Set("StartUp", startUp);
    }

    void SetUp() override
    {
        // Start from a machine without the entry; the backup puts back any
        // that was there.
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKey);
        ResetProgramState();
        InitMessageCatalogue();
        lstrcpynA(setupContext.installDir, installDir.c_str(), PathBufferSize);
    }

    void TearDown() override
    {
        for (DWORD id : StartedExplorers())
            EndProcess(id);
    }

    std::set<DWORD> StartedExplorers()
    {
        std::set<DWORD> started;
        for (DWORD id : ProcessIds("explorer.exe"))
            if (!explorersBefore.count(id))
                started.insert(id);
        return started;
    }

    std::string ProductFolder() const { return programs + "\\Nimbalune"; }

    void ExpectLink(const ExpectedLink &expected)
    {
        std::string path = JoinPath(expected.folder, expected.name);
        SCOPED_TRACE(expected.name);
        Shortcut link = ReadShortcut(path);
        ASSERT_TRUE(link.ok) << path;
        EXPECT_STRCASEEQ(link.target.c_str(), (installDir + expected.program).c_str());
        EXPECT_EQ(link.arguments, "");
        EXPECT_STRCASEEQ(link.workingDirectory.c_str(), installDir.c_str());
        EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
    }

    TempDir root;
    ShellFoldersOverride folders;
    RegistryKeyBackup uninstallBackup;
    std::set<DWORD> explorersBefore;
    std::string programs, startMenu, desktop, startUp, installDir;
};

TEST_F(ShellLinksTest, UninstallEntryCountsTheTerminatingZeros)
{
    InstallDesktopIntegration();

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(ReadRegistryRaw(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", type, data));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(data, std::string("Nimbalune", 10));
    ASSERT_TRUE(ReadRegistryRaw(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", type, data));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    std::string expected = installDir + "\\Uninstal.exe";
    EXPECT_EQ(data, std::string(expected.c_str(), expected.size() + 1));
}

class ShortcutsInEachLanguage : public ShellLinksTest, public ::testing::WithParamInterface<int> {};

TEST_P(ShortcutsInEachLanguage, GoIntoTheProductFolderTheMenusAndStartUp)
{
    setupContext.language = GetParam();
    InstallDesktopIntegration();

    std::string folder = ProductFolder();
    EXPECT_EQ(DirectoryEntries(folder),
              (std::set<std::string>{LinkName(StartProgramLinkName), LinkName(ControlPanelLinkName),
                                     LinkName(InstructionsLinkName), LinkName(UninstallLinkName)}));
    const ExpectedLink links[] = {
        {folder, LinkName(StartProgramLinkName), "\\NimbaLun.exe"},
        {folder, LinkName(ControlPanelLinkName), "\\Configur.exe"},
        {folder, LinkName(InstructionsLinkName), MessageText(ReadmeProgramName)},
        {folder, LinkName(UninstallLinkName), "\\Uninstal.exe"},
        {startMenu, LinkName(ControlPanelLinkName), "\\Configur.exe"},
        {desktop, LinkName(ControlPanelLinkName), "\\Configur.exe"},
        {startUp, StartUpLinkName, "\\Nimbalun.exe"},
    };
    for (const ExpectedLink &link : links)
        ExpectLink(link);
    EXPECT_EQ(DirectoryEntries(startMenu).size(), 1u);
    EXPECT_EQ(DirectoryEntries(desktop).size(), 1u);
    EXPECT_EQ(DirectoryEntries(startUp), std::set<std::string>{StartUpLinkName});
}

INSTANTIATE_TEST_SUITE_P(Languages, ShortcutsInEachLanguage, ::testing::Values(LanguageFrench, LanguageEnglish));

TEST_F(ShellLinksTest, ExplorerShowsTheProductFolder)
{
    InstallDesktopIntegration();

    // CreateProcessA has returned by now, so the process is there at once.
    std::set<DWORD> started = StartedExplorers();
    ASSERT_EQ(started.size(), 1u);
    DWORD explorer = *started.begin();
    EXPECT_TRUE(nltest::WaitUntil(
        [&] {
            for (const std::string &title : WindowTitles(explorer))
                if (title.find("Nimbalune") != std::string::npos)
                    return true;
            return false;
        }));
}

TEST_F(ShellLinksTest, ExistingShortcutsAreReplaced)
{
    setupContext.language = LanguageEnglish;
    std::string folder = ProductFolder();
    MakeDirectories(folder);
    std::string elsewhere = root / "Elsewhere";
    std::string oldStart = folder + "\\" + LinkName(StartProgramLinkName);
    std::string oldStartUp = JoinPath(startUp, StartUpLinkName);
    CreateShellLink((elsewhere + "\\old.exe").c_str(), "-old", oldStart.c_str(), elsewhere.c_str(), SW_SHOWMINIMIZED);
    WriteFileBytes(oldStartUp, "not a shortcut");
    WriteFileBytes(folder + "\\Notes.txt", "kept");

    InstallDesktopIntegration();

    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_EQ(ReadFileText(folder + "\\Notes.txt"), "kept");
    ExpectLink({folder, LinkName(StartProgramLinkName), "\\NimbaLun.exe"});
    ExpectLink({startUp, StartUpLinkName, "\\Nimbalun.exe"});
}

TEST_F(ShellLinksTest, EarlierVersionEntriesAreRemoved)
{
    std::string earlier = programs + "\\Nimba Lune";
    MakeDirectories(earlier + "\\Aide\\Images");
    WriteFileBytes(earlier + "\\Nimba Lune.lnk", "old");
    WriteFileBytes(earlier + "\\Aide\\Images\\lune.bmp", "old");
    WriteFileBytes(startUp + "\\Nimba Lune.exe", "old");
    WriteFileBytes(startUp + "\\Other.lnk", "someone else's");

    InstallDesktopIntegration();

    EXPECT_FALSE(DirectoryExists(earlier));
    EXPECT_FALSE(FileExists(startUp + "\\Nimba Lune.exe"));
    EXPECT_EQ(ReadFileText(startUp + "\\Other.lnk"), "someone else's");
    EXPECT_TRUE(FileExists(JoinPath(startUp, StartUpLinkName)));
}

TEST_F(ShellLinksTest, WithoutProgramsValueNoProductFolderAndNoExplorer)
{
    setupContext.language = LanguageEnglish;
    folders.Remove("Programs");

    InstallDesktopIntegration();

    EXPECT_TRUE(DirectoryEntries(programs).empty());
    ExpectLink({startMenu, LinkName(ControlPanelLinkName), "\\Configur.exe"});
    ExpectLink({desktop, LinkName(ControlPanelLinkName), "\\Configur.exe"});
    ExpectLink({startUp, StartUpLinkName, "\\Nimbalun.exe"});
}

TEST_F(ShellLinksTest, PathsThatDoNotFitAreSkipped)
{
    // 249 characters: every target and the uninstall command are too long.
    std::string longDir = root.path() + "\\" + std::string(248 - root.path().size(), 'd');
    ASSERT_EQ(longDir.size(), 249u);
    lstrcpynA(setupContext.installDir, longDir.c_str(), PathBufferSize);
    // A StartUp folder whose shortcut path would need 260 characters.
    std::string deepStartUp = root.path() + "\\" + std::string(245 - root.path().size(), 's');
    MakeDirectories(deepStartUp);
    folders.Set("StartUp", deepStartUp);

    InstallDesktopIntegration();

    std::string data;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", data));
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", data));
    EXPECT_TRUE(DirectoryExists(ProductFolder()));
    EXPECT_TRUE(DirectoryEntries(ProductFolder()).empty());
    EXPECT_TRUE(DirectoryEntries(startMenu).empty());
    EXPECT_TRUE(DirectoryEntries(deepStartUp).empty());

    // With a short destination, only the too-long StartUp shortcut is left out.
    lstrcpynA(setupContext.installDir, installDir.c_str(), PathBufferSize);
    InstallDesktopIntegration();
    EXPECT_EQ(DirectoryEntries(ProductFolder()).size(), 4u);
    EXPECT_EQ(DirectoryEntries(startMenu).size(), 1u);
    EXPECT_TRUE(DirectoryEntries(deepStartUp).empty());
}

TEST_F(ShellLinksTest, ShellFolderValuesAreTakenWhateverTheirType)
{
    setupContext.language = LanguageEnglish;
    // No Explorer either, which would rewrite the values from "User Shell Folders".
    folders.Remove("Programs");
    // Binary data without a terminating zero still names the Desktop.
    folders.SetRaw("Desktop", REG_BINARY, desktop);
    // A value that fills the whole buffer without a zero cannot be a folder.
    folders.SetRaw("Start Menu", REG_BINARY, std::string(260, 'x'));

    InstallDesktopIntegration();

    ExpectLink({desktop, LinkName(ControlPanelLinkName), "\\Configur.exe"});
    EXPECT_TRUE(DirectoryEntries(startMenu).empty());
    ExpectLink({startUp, StartUpLinkName, "\\Nimbalun.exe"});
}

TEST_F(ShellLinksTest, ShellFolderValuesOfAThousandCharactersAreSkipped)
{
    setupContext.language = LanguageEnglish;
    std::string overlong = "C:\\" + std::string(997, 'x');
    ASSERT_EQ(overlong.size(), 1000u);
    folders.SetRaw("Programs", REG_SZ, overlong);
    folders.SetRaw("Start Menu", REG_EXPAND_SZ, overlong);

    InstallDesktopIntegration();

    EXPECT_FALSE(DirectoryExists(ProductFolder()));
    EXPECT_TRUE(DirectoryEntries(startMenu).empty());
    ExpectLink({desktop, LinkName(ControlPanelLinkName), "\\Configur.exe"});
    ExpectLink({startUp, StartUpLinkName, "\\Nimbalun.exe"});
    std::string data;
    EXPECT_TRUE(ReadRegistryString(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", data));
}

TEST_F(ShellLinksTest, WithoutUninstallKeyShortcutsAreStillMade)
{
    // HKEY_LOCAL_MACHINE stands for a volatile key, under which no lasting
    // key can be created: the uninstall key can be neither created nor opened.
    const char testRoot[] = "Software\\Nimbalune tests";
    RegistryKeyBackup rootBackup(HKEY_CURRENT_USER, testRoot);
    HKEY parent, machine;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, testRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(parent, "Volatile machine", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &machine, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine), ERROR_SUCCESS);
    setupContext.language = LanguageEnglish;

    InstallDesktopIntegration();

    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    HKEY created;
    EXPECT_NE(RegOpenKeyExA(machine, "Software", 0, KEY_READ, &created), ERROR_SUCCESS);
    RegCloseKey(machine);
    std::string data;
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", data));
    EXPECT_EQ(DirectoryEntries(ProductFolder()).size(), 4u);
    EXPECT_EQ(DirectoryEntries(startMenu).size(), 1u);
    EXPECT_EQ(DirectoryEntries(desktop).size(), 1u);
    EXPECT_EQ(DirectoryEntries(startUp).size(), 1u);
}

TEST(StartProcess, StartsACommandLineAndReportsFailure)
{
    std::set<DWORD> before = ProcessIds("cmd.exe");
    EXPECT_TRUE(StartProcess("cmd.exe /c exit 0"));
    for (DWORD id : ProcessIds("cmd.exe"))
        if (!before.count(id))
            EndProcess(id);
    EXPECT_FALSE(StartProcess("no-such-program-anywhere.exe"));
}

} // namespace
