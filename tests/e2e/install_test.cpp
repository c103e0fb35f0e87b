// wine-fixture: drives
// The whole setup from the sample medium, driven as a person would: fresh
// installations in both languages, a reinstallation, the panel, the ways
// out before the installation, a disk that fills up and a CD-ROM.
#include "driver/driver.h"
#include "driver/distribution.h"
#include "driver/installation.h"
#include "driver/readback.h"
#include "driver/product_state.h"
#include "driver/setup_person.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using namespace nldriver;

const char *const Subdirectories[] = {
    "annule", "Instruct.htm", "Instruct.htm\\English.htm", "Instruct.htm\\Francais.htm", "Instruct.htm\\Images",
    "Instruct.htm\\Images\\English", "Instruct.htm\\Images\\Francais", "Instruct.rtf", "Instruct.rtf\\English.rtf",
    "Instruct.rtf\\Francais.rtf", "Instruct.rtf\\Images", "original.jpg", "screen24.bmp", "screen8.bmp", "sources",
    "temp"};

class Install : public InstallationTest {
protected:
    // Starts setup.exe and answers the start-up questions up to the panel.
    HWND StartToPanel(const std::string &setup = MediumSetup())
    {
        HWND main = nldriver::StartToPanel(process, setup, &boxes);
        EXPECT_NE(main, nullptr);
        return main;
    }

    MessageBoxInfo StartAndWaitForEnd(HWND main) { return nldriver::StartAndWaitForEnd(process, main); }

    // Chooses a drive in the panel and installs: the box at the end.
    MessageBoxInfo InstallOnDrive(char drive)
    {
        HWND main = StartToPanel();
        if (!main || !ChooseDrive(GetDlgItem(main, DriveListId), drive)) {
            ADD_FAILURE() << "no panel, or no drive " << drive << " in it";
            return MessageBoxInfo();
        }
        return StartAndWaitForEnd(main);
    }

    void ExpectInstalledTree(const std::string &installDir)
    {
        for (const char *subdirectory : Subdirectories)
            EXPECT_TRUE(nltest::DirectoryExists(nltest::JoinPath(installDir, subdirectory))) << subdirectory;
        EXPECT_EQ(TreeDifferences(installDir), "");
        EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(installDir, "nimbalun.grp")));
    }

    std::vector<MessageBoxInfo> boxes;
};

class FreshInstallation : public Install, public ::testing::WithParamInterface<const nltest::LanguageNames *> {};

TEST_P(FreshInstallation, OnCInTheProposedLanguage)
{
    const nltest::LanguageNames &language = *GetParam();
    const std::string name = std::string(language.name) == "English" ? "" : "-" + std::string(language.name);
    nltest::SetProfile("Intl", "sLanguage", language.setting);
    HWND main = StartToPanel();
    ASSERT_NE(main, nullptr);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, language.caption);
    EXPECT_EQ(TextOf(GetDlgItem(main, PanelTextId)), language.panelText);
    EXPECT_EQ(TextOf(GetDlgItem(main, StartButtonId)), language.startButton);
    HWND list = GetDlgItem(main, DriveListId);
    std::string driveLine = language.driveLine;
    EXPECT_EQ(ComboItems(list)[ComboSelection(list)].substr(0, driveLine.size()), driveLine);
    Screenshot("install-panel-" + std::string(name.empty() ? "english" : "french"));

    MessageBoxInfo done = StartAndWaitForEnd(main);
    EXPECT_EQ(done.text, nltest::Cp1252(language.doneNotice));
    EXPECT_EQ(done.caption, language.caption);
    Screenshot("install-final-notice" + name);
    Answer(done, IDOK);
    EXPECT_EQ(WaitForExit(process), 1);

    ExpectInstalledTree("C:\\NimbaLun");
    using nltest::ProductSection;
    EXPECT_EQ(nltest::GetProfile(ProductSection, nltest::DirectoryKey), "C:\\NimbaLun");
    EXPECT_EQ(nltest::GetProfile(ProductSection, nltest::IniFileKey), "C:\\NimbaLun\\nimbalun.ini");
    EXPECT_EQ(nltest::GetProfile(ProductSection, nltest::ProgramKey), "C:\\NimbaLun\\nimbalun.exe");
    EXPECT_EQ(nltest::GetProfile(ProductSection, nltest::LanguageKey), language.choice);

    std::string value;
    EXPECT_TRUE(nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, nltest::UninstallKey, "DisplayName", value));
    EXPECT_EQ(value, "Nimbalune");
    EXPECT_TRUE(nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, nltest::UninstallKey, "UninstallString", value));
    EXPECT_EQ(value, "C:\\NimbaLun\\Uninstal.exe");

    std::string programs = nltest::JoinPath(ShellFolder("Programs"), nltest::ProgramsFolderName);
    auto link = [](const std::string &folder, const char *name) {
        return ReadShortcut(nltest::JoinPath(folder, nltest::Cp1252(name)));
    };
    EXPECT_EQ(link(programs, language.startLink).target, "C:\\NimbaLun\\NimbaLun.exe");
    EXPECT_EQ(link(programs, language.controlPanelLink).target, "C:\\NimbaLun\\Configur.exe");
    EXPECT_EQ(link(programs, language.instructionsLink).target,
              nltest::JoinPath("C:\\NimbaLun", language.readmeProgram));
    EXPECT_EQ(link(programs, language.uninstallLink).target, "C:\\NimbaLun\\Uninstal.exe");
    EXPECT_TRUE(link(ShellFolder("Start Menu"), language.controlPanelLink).ok);
    EXPECT_TRUE(link(ShellFolder("Desktop"), language.controlPanelLink).ok);
    EXPECT_EQ(link(ShellFolder("StartUp"), nltest::StartUpLinkName).target, "C:\\NimbaLun\\Nimbalun.exe");

    std::string group = nltest::ReadFileText(nltest::JoinPath(WindowsDirectory(), "nimbalun.grp"));
    EXPECT_EQ(GroupPatchFaults(group, 'C'), "");
    auto groups = ProfileSection("Groups", nltest::JoinPath(WindowsDirectory(), "progman.ini"));
    EXPECT_EQ(groups["Group1"], nltest::JoinPath(WindowsDirectory(), "nimbalun.grp"));

    // The product was started and Explorer shows the new Programs folder.
    EXPECT_TRUE(WaitForWindow(0, [](const WindowInfo &w) { return w.className == "NimbaluneSample"; }));
    EXPECT_TRUE(WaitForWindow(0, [](const WindowInfo &w) {
        return w.className == ExplorerClass && w.title == nltest::ProgramsFolderName;
    }));
    Screenshot("install-desktop-after" + name);
}

INSTANTIATE_TEST_SUITE_P(Languages, FreshInstallation, ::testing::ValuesIn(nltest::Languages),
                         [](const ::testing::TestParamInfo<const nltest::LanguageNames *> &info) {
                             return std::string(info.param->name);
                         });

TEST_F(Install, ReinstallationIntoThePreviousDirectoryOnD)
{
    // A previous installation on D:, its product running, with leftovers of
    // an older version and a file of the user's.
    const std::string dir = "D:\\NimbaLun";
    ASSERT_TRUE(nltest::MakeDirectories(dir + "\\english.txt\\deeper"));
    ASSERT_TRUE(nltest::MakeDirectories(dir + "\\francais.txt"));
    nltest::WriteFileBytes(dir + "\\english.txt\\deeper\\old.txt", "old");
    SetFileAttributesA((dir + "\\english.txt\\deeper\\old.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    nltest::WriteFileBytes(dir + "\\francais.txt\\vieux.txt", "vieux");
    SetFileAttributesA((dir + "\\francais.txt\\vieux.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    for (const char *obsolete : {"linknl.exe", "linkconf.exe", "cachenl.exe", "linkunin.exe", "setup.exe"})
        nltest::WriteFileBytes(nltest::JoinPath(dir, obsolete), "obsolete");
    ASSERT_TRUE(nltest::MakeDirectories(dir + "\\temp"));
    nltest::WriteFileBytes(dir + "\\temp\\mine.txt", "the user's own");
    CopyFileA(nltest::JoinPath(nltest::JoinPath(nltest::BuildDir(), "sample"), "nimbalun.exe").c_str(),
              (dir + "\\nimbalun.exe").c_str(), FALSE);
    nltest::SetProfile(nltest::ProductSection, nltest::DirectoryKey, "D:\\NimbaLun");
    nltest::SetProfile(nltest::ProductSection, nltest::IniFileKey, "D:\\NimbaLun\\nimbalun.ini");
    Process product = Launch("\"" + dir + "\\nimbalun.exe\"", dir);
    HWND productWindow = WaitForWindow(product.id, [](const WindowInfo &w) { return w.className == "NimbaluneSample"; });
    ASSERT_NE(productWindow, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        return GetPrivateProfileIntA("", "Current hwnd", 65535, (dir + "\\nimbalun.ini").c_str()) != 65535;
    }));
    // Group1 already names the group: a second listing must not appear.
    std::string progman = nltest::JoinPath(WindowsDirectory(), "progman.ini");
    std::string groupPath = nltest::JoinPath(WindowsDirectory(), "nimbalun.grp");
    WritePrivateProfileStringA("Groups", "Group1", groupPath.c_str(), progman.c_str());

    HWND main = StartToPanel();
    ASSERT_NE(main, nullptr);
    // The running product was closed before the language question.
    EXPECT_EQ(WaitForExit(product), 0);
    Close(product);
    EXPECT_EQ(TextOf(GetDlgItem(main, PanelTextId)),
              "Nimbalune has been already installed in the directory once \"D:\\NimbaLun\".\n Do you want to "
              "install it again in that disk ? You should do it, so you can keep your choices of subjects and "
              "textures and also the options,etc...");
    HWND list = GetDlgItem(main, DriveListId);
    EXPECT_EQ(ComboItems(list)[ComboSelection(list)][0], 'D');

    MessageBoxInfo done = StartAndWaitForEnd(main);
    EXPECT_EQ(done.text, nltest::English.doneNotice);
    Answer(done, IDOK);
    EXPECT_EQ(WaitForExit(process), 1);

    ExpectInstalledTree(dir);
    EXPECT_FALSE(nltest::DirectoryExists(dir + "\\english.txt"));
    EXPECT_FALSE(nltest::DirectoryExists(dir + "\\francais.txt"));
    for (const char *obsolete : {"linknl.exe", "linkconf.exe", "cachenl.exe", "linkunin.exe", "setup.exe"})
        EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(dir, obsolete))) << obsolete;
    EXPECT_EQ(nltest::ReadFileText(dir + "\\temp\\mine.txt"), "the user's own");
    auto groups = ProfileSection("Groups", progman);
    EXPECT_EQ(groups.size(), 1u);
    // The previous directory comes back upper-cased.
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), "D:\\NIMBALUN");
}

TEST_F(Install, ChoosingAnotherDriveInThePanel)
{
    MessageBoxInfo done = InstallOnDrive('D');
    ASSERT_NE(done.handle, nullptr);
    Answer(done, IDOK);
    EXPECT_EQ(WaitForExit(process), 1);
    EXPECT_TRUE(nltest::FileExists("D:\\NimbaLun\\nimbalun.exe"));
    EXPECT_FALSE(nltest::DirectoryExists("C:\\NimbaLun"));
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), "D:\\NimbaLun");
}

TEST_F(Install, EscapeOrClosingInThePanelInstallsNothing)
{
    HWND main = StartToPanel();
    ASSERT_NE(main, nullptr);
    TypeChar(GetDlgItem(main, DriveListId), 27);
    EXPECT_EQ(WaitForExit(process), 1);
    Close(process);
    CloseProductWindows();

    main = StartToPanel();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(process), 0);

    EXPECT_FALSE(nltest::DirectoryExists("C:\\NimbaLun"));
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), "");
}

TEST_F(Install, ADiskThatFillsUpIsReportedAsAnIncompleteInstallation)
{
    MessageBoxInfo warning = InstallOnDrive('H');
    ASSERT_NE(warning.handle, nullptr);
    Screenshot("install-incomplete");
    EXPECT_EQ(warning.text.find("The installation is incomplete: "), 0u) << warning.text;
    EXPECT_TRUE(warning.hasIcon);
    EXPECT_EQ(warning.caption, nltest::English.caption);

    // Whatever was installed is complete; the count names what is missing.
    std::map<std::string, std::string> manifest = MediumManifest();
    int missing = 0;
    for (const auto &file : manifest) {
        std::string bytes;
        if (!nltest::ReadFileBytes(nltest::JoinPath("H:\\NimbaLun", file.first), bytes)) {
            ++missing;
            continue;
        }
        EXPECT_EQ(nltest::Sha256Hex(bytes), file.second) << file.first << " is truncated";
    }
    EXPECT_GT(missing, 0);
    int reported = atoi(warning.text.c_str() + lstrlenA("The installation is incomplete: "));
    // The group template into the Windows directory was copied: only the
    // medium's files count here.
    EXPECT_EQ(reported, missing);
    Answer(warning, IDOK);
    EXPECT_EQ(WaitForExit(process), 1);
}

TEST_F(Install, FromTheCdRom)
{
    // R: holds the image that check-medium passed (the drives fixture).
    std::string check = nltest::ReadFileText(nltest::JoinPath(nltest::BuildDir(), "drives\\r-check.txt"));
    EXPECT_NE(check.find(": ok\nexit status 0\n"), std::string::npos) << check;
    ASSERT_EQ(GetDriveTypeA("R:\\"), (UINT)DRIVE_CDROM);
    HWND main = StartToPanel("R:\\setup.exe");
    ASSERT_NE(main, nullptr);
    MessageBoxInfo done = StartAndWaitForEnd(main);
    EXPECT_EQ(done.text, nltest::English.doneNotice);
    Answer(done, IDOK);
    EXPECT_EQ(WaitForExit(process), 1);
    ExpectInstalledTree("C:\\NimbaLun");
    // And nothing more than the manifest, but the settings the product
    // writes when the setup starts it.
    std::map<std::string, std::string> manifest = MediumManifest();
    std::string unlisted;
    for (const std::string &file : ListFiles("C:\\NimbaLun"))
        if (!manifest.count(file))
            unlisted += " " + file;
    EXPECT_EQ(unlisted, " nimbalun.ini");
}

} // namespace
