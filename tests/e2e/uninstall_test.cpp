// wine-fixture: directory_links
// Uninstal.exe from the sample medium: a round trip through Wine's own
// Add/Remove Programs (the machine afterwards as it was before), and the
// odd states a removal meets, each with what it leaves behind.
#include "driver/driver.h"
#include "driver/installation.h"
#include "driver/product_state.h"
#include "driver/readback.h"
#include "support/product_names.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

using namespace nldriver;

const char InstallDir[] = "C:\\NimbaLun";
const char RemoveCommand[] = "uninstaller --remove Nimbalune";
// As the "Uninstalling Nimbalune" shortcut starts it: Wine's uninstaller
// takes some 10 s to start a program, which the table need not wait for.
const char ShortcutCommand[] = "\"C:\\NimbaLun\\Uninstal.exe\"";

// Uninstal.exe as built, run from outside any installation.
std::string BuiltUninstaller()
{
    return "\"" + nltest::JoinPath(nltest::BuildDir(), "Uninstal.exe") + "\"";
}

std::string Installed(const std::string &relative)
{
    return nltest::JoinPath(InstallDir, relative);
}

// An installation over another goes on past the question about a newer
// installed version (the sample product has no version resource).
int AnswerToReinstall(const MessageBoxInfo &box)
{
    return box.text.find("ATTENTION") == 0 ? IDYES : AnswerLikeAPerson(box);
}

void InstallIn(const char *regionalLanguage)
{
    const nltest::LanguageNames &names = std::string(regionalLanguage) == "fra" ? nltest::French : nltest::English;
    nltest::SetProfile("Intl", "sLanguage", regionalLanguage);
    ASSERT_EQ(InstallThrough(MediumSetup(), AnswerToReinstall), nltest::Cp1252(names.doneNotice));
}

// What the prefix holds of the product, all of which a removal takes away.
bool AnyProductTrace()
{
    return nltest::DirectoryExists(InstallDir) || !ProfileSection(nltest::ProductSection).empty()
        || nltest::DirectoryExists(nltest::JoinPath(ShellFolder("Programs"), nltest::ProgramsFolderName))
        || nltest::FileExists(nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName))
        || nltest::FileExists(nltest::JoinPath(ShellFolder("Desktop"), nltest::English.controlPanelLink))
        || nltest::FileExists(nltest::JoinPath(WindowsDirectory(), "nimbalun.grp"))
        || !ProfileSection("Groups", nltest::JoinPath(WindowsDirectory(), "progman.ini")).empty()
        || nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey);
}

const std::string Removed = "Nimbalune has been removed from this computer.";
const std::string Asked = "Remove Nimbalune from this computer?";

struct RoundTrip {
    const char *name;
    std::vector<const char *> installations;    // regional language of each, in turn
    std::string question;                       // UTF-8
    std::string closing;
};

class UninstallRoundTrip : public InstallationTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(UninstallRoundTrip, LeavesTheMachineAsItWas)
{
    const RoundTrip &trip = GetParam();
    nltest::SetProfile("Intl", "sLanguage", trip.installations[0]);
    std::set<std::string> before = MachineSnapshot();
    for (const char *language : trip.installations)
        InstallIn(language);
    ASSERT_TRUE(nltest::FileExists(Installed("Uninstal.exe")));
    // The snapshot sees the product: files, values and keys.
    std::string installed = SnapshotDifferences(before, MachineSnapshot());
    std::printf("The installation changed %zu snapshot lines\n",
                (size_t)std::count(installed.begin(), installed.end(), '\n'));
    EXPECT_NE(installed.find("file C:\\NimbaLun\\Uninstal.exe"), std::string::npos);

    int shot = 0;
    std::vector<MessageBoxInfo> boxes = RunRemoval(RemoveCommand, IDYES, [&](const MessageBoxInfo &) {
        Screenshot(std::string("uninstall-") + trip.name + "-" + std::to_string(++shot));
    });
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, nltest::Cp1252(trip.question));
    EXPECT_EQ(boxes[1].text, nltest::Cp1252(trip.closing));
    RestartWindows();
    nltest::SetProfile("Intl", "sLanguage", trip.installations[0]);

    std::set<std::string> after = MachineSnapshot();
    std::string differences = SnapshotDifferences(before, after);
    std::printf("Before installation (%zu lines) / after removal (%zu lines), %s:\n%s", before.size(), after.size(),
                trip.name, differences.empty() ? "  no difference\n" : differences.c_str());
    EXPECT_EQ(differences, "");
}

INSTANTIATE_TEST_SUITE_P(
    Languages, UninstallRoundTrip,
    ::testing::Values(
        RoundTrip{"french", {"fra"}, "Voulez-vous enlever Nimbalune de cet ordinateur ?",
                  "Nimbalune a été enlevé de cet ordinateur."},
        RoundTrip{"english", {"enu"}, Asked, Removed}, RoundTrip{"french_then_english", {"fra", "enu"}, Asked, Removed}),
    [](const ::testing::TestParamInfo<RoundTrip> &info) { return std::string(info.param.name); });

// The odd states a removal meets. Each row starts from an English
// installation that its arrange step then changes.
struct Fault {
    const char *name;
    std::function<void()> arrange;
    std::string command;                    // how the removal is started
    int answer;                             // to the question, when it is asked
    std::vector<std::string> boxes;         // the texts shown, in turn
    std::function<void()> check;            // the state left behind
};

std::string Links() { return nltest::JoinPath(nltest::BuildDir(), "testdata\\links"); }

// Runs a Linux command and waits for it.
void Unix(const std::string &command)
{
    Process process = Launch("start /wait /unix " + command);
    WaitForExit(process);
    Close(process);
}

// The Linux path of C:\NimbaLun\sources.
std::string LinkInside()
{
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    return std::string(prefix) + "/drive_c/NimbaLun/sources";
}

HANDLE heldFile = INVALID_HANDLE_VALUE;
Process product;

void ExpectNoTrace()
{
    EXPECT_FALSE(AnyProductTrace());
}

// Files as the setup would have left them in a shared folder, with the
// installed-file list naming them.
void PlaceListedFiles(const std::string &folder, const std::string &list)
{
    ASSERT_TRUE(nltest::MakeDirectories(nltest::JoinPath(folder, "sources")));
    ASSERT_TRUE(CopyFileA(Installed("Configur.exe").c_str(), nltest::JoinPath(folder, "Configur.exe").c_str(), FALSE));
    ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(folder, "sources\\sujets.txt"), "listed"));
    ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(folder, "Uninstal.lst"), list));
    nltest::SetProfile(nltest::ProductSection, nltest::DirectoryKey, folder.c_str());
}

std::vector<Fault> Faults()
{
    const std::string windows = WindowsDirectory();
    const std::string listed = "Configur.exe\r\nsources\\sujets.txt\r\nUninstal.lst\r\n";
    return {
        {"answer_no", [] {}, ShortcutCommand, IDNO, {Asked},
         [] {
             EXPECT_EQ(TreeDifferences(InstallDir), "");
             EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), InstallDir);
             EXPECT_TRUE(nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey));
         }},
        {"product_running",
         [] {
             product = Launch("\"" + Installed("nimbalun.exe") + "\"", InstallDir);
             ASSERT_TRUE(WaitUntil([] {
                 return GetPrivateProfileIntA("", "Current hwnd", 65535, Installed("nimbalun.ini").c_str()) != 65535;
             }));
         },
         ShortcutCommand, IDYES, {Asked, Removed},
         [] {
             EXPECT_FALSE(IsRunning(product));
             Close(product);
             ExpectNoTrace();
         }},
        {"windows_98",
         // The copy's deletion at restart goes through WININIT.INI, which
         // Wine's restart processes as Windows 98 did.
         [] { nltest::WriteRegistryString(HKEY_CURRENT_USER, "Software\\Wine", "Version", "win98"); },
         ShortcutCommand, IDYES, {Asked, Removed},
         [windows] {
             nltest::DeleteRegistryValue(HKEY_CURRENT_USER, "Software\\Wine", "Version");
             std::string wininit = nltest::ReadFileText(nltest::JoinPath(windows, "wininit.ini"));
             size_t line = wininit.find("[rename]\r\nNUL=");
             ASSERT_NE(line, std::string::npos) << wininit;
             std::string copy = wininit.substr(line + 14, wininit.find('\r', line + 14) - line - 14);
             EXPECT_TRUE(nltest::FileExists(copy)) << copy;
             RestartWindows();
             EXPECT_FALSE(nltest::FileExists(copy)) << copy;
             for (const char *name : {"wininit.ini", "wininit.bak"})
                 DeleteFileA(nltest::JoinPath(windows, name).c_str());
             ExpectNoTrace();
         }},
        {"folder_deleted_by_hand", [] { nltest::RemoveTree(InstallDir); }, BuiltUninstaller(), IDYES,
         {Asked, Removed + "\n\nThe folder \"C:\\NimbaLun\" no longer existed."}, ExpectNoTrace},
        {"no_win_ini_section", [] { nltest::DeleteProfileSection(nltest::ProductSection); }, ShortcutCommand, IDYES,
         {Asked, Removed}, ExpectNoTrace},
        {"second_run",
         [] {
             RunRemoval(ShortcutCommand);
             nltest::WriteRegistryString(HKEY_LOCAL_MACHINE, nltest::UninstallKey, "UninstallString", Installed("Uninstal.exe"));
         },
         BuiltUninstaller(), IDYES, {"Nimbalune is not installed on this computer."}, ExpectNoTrace},
        {"read_only_files",
         [] {
             nltest::WriteFileBytes(Installed("temp\\work.tmp"), "the product's");
             for (const char *file : {"nimbalun.exe", "Instruct.htm\\nimbalun.css", "temp\\work.tmp", "Uninstal.lst"})
                 SetFileAttributesA(Installed(file).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         ShortcutCommand, IDYES, {Asked, Removed}, ExpectNoTrace},
        {"file_in_use",
         [] {
             heldFile = CreateFileA(Installed("sources\\sujets.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
             ASSERT_NE(heldFile, INVALID_HANDLE_VALUE);
         },
         ShortcutCommand, IDYES,
         {Asked, Removed + "\n\nThe file \"C:\\NimbaLun\\sources\\sujets.txt\" is in use by a program: it was kept."},
         [] {
             CloseHandle(heldFile);
             EXPECT_EQ(ListFiles(InstallDir), std::vector<std::string>{"sources\\sujets.txt"});
             EXPECT_EQ(ListDirectories(InstallDir), std::vector<std::string>{"sources"});
             EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), "");
         }},
        {"foreign_file",
         [] { nltest::WriteFileBytes(Installed("Instruct.htm\\mine.htm"), "the user's"); }, ShortcutCommand, IDYES,
         {Asked, Removed + "\n\nThe folder \"C:\\NimbaLun\\Instruct.htm\" was kept: it holds files that Nimbalune "
                           "did not install."},
         [] {
             EXPECT_EQ(ListFiles(InstallDir), std::vector<std::string>{"Instruct.htm\\mine.htm"});
             EXPECT_EQ(ListDirectories(InstallDir), std::vector<std::string>{"Instruct.htm"});
         }},
        {"hostile_list",
         [] {
             std::string list;
             ASSERT_TRUE(nltest::ReadFileBytes(Installed("Uninstal.lst"), list));
             list += "..\\outside.txt\r\nC:\\outside.txt\r\n\\outside.txt\r\nsources\\..\\..\\outside.txt\r\n"
                     ".. \\outside.txt\r\n" + std::string(300, 'x') + "\r\n";
             ASSERT_TRUE(nltest::WriteFileBytes(Installed("Uninstal.lst"), list));
             ASSERT_TRUE(nltest::WriteFileBytes("C:\\outside.txt", "not the product's"));
         },
         ShortcutCommand, IDYES, {Asked, Removed},
         [] {
             EXPECT_TRUE(nltest::FileExists("C:\\outside.txt"));
             DeleteFileA("C:\\outside.txt");
             ExpectNoTrace();
         }},
        {"directory_is_a_drive_root",
         [listed] {
             PlaceListedFiles("C:\\", listed);
             ASSERT_TRUE(nltest::MakeDirectories("C:\\temp"));
             ASSERT_TRUE(nltest::WriteFileBytes("C:\\temp\\foreign.txt", "not the product's"));
             ASSERT_TRUE(nltest::WriteFileBytes("C:\\nimbalun.ini", "not the product's"));
         },
         BuiltUninstaller(), IDYES,
         {Asked, Removed + "\n\n\"C:\\\" is the root of a drive or the Windows folder: only the files Nimbalune "
                           "installed were removed from it."},
         [] {
             for (const char *gone : {"C:\\Configur.exe", "C:\\sources", "C:\\Uninstal.lst"})
                 EXPECT_EQ(GetFileAttributesA(gone), INVALID_FILE_ATTRIBUTES) << gone;
             EXPECT_TRUE(nltest::FileExists("C:\\temp\\foreign.txt"));
             EXPECT_TRUE(nltest::FileExists("C:\\nimbalun.ini"));
             EXPECT_EQ(TreeDifferences(InstallDir), "");
             nltest::RemoveTree("C:\\temp");
             DeleteFileA("C:\\nimbalun.ini");
         }},
        {"directory_is_the_windows_folder",
         [windows, listed] {
             PlaceListedFiles(windows, listed);
             ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(windows, "temp\\foreign.txt"), "Windows's"));
         },
         BuiltUninstaller(), IDYES,
         {Asked, Removed + "\n\n\"" + windows + "\" is the root of a drive or the Windows folder: only the files "
                           "Nimbalune installed were removed from it."},
         [windows] {
             EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(windows, "Configur.exe")));
             EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(windows, "sources\\sujets.txt")));
             EXPECT_TRUE(nltest::FileExists(nltest::JoinPath(windows, "temp\\foreign.txt")));
             EXPECT_TRUE(nltest::FileExists(nltest::JoinPath(windows, "notepad.exe")));
             DeleteFileA(nltest::JoinPath(windows, "temp\\foreign.txt").c_str());
         }},
        {"directory_link_inside",
         [] {
             // sources becomes a link to a folder outside that holds a file
             // of a listed name: a Linux symbolic link, made by ln.
             ASSERT_TRUE(nltest::WriteFileBytes(Links() + "\\target\\sujets.txt", "outside"));
             nltest::RemoveTree(Installed("sources"));
             std::string target = Links().substr(2) + "\\target";
             std::replace(target.begin(), target.end(), '\\', '/');
             Unix("/bin/ln -s " + target + " " + LinkInside());
             ASSERT_NE(GetFileAttributesA(Installed("sources").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
         },
         ShortcutCommand, IDYES,
         {Asked, Removed + "\n\n\"C:\\NimbaLun\\sources\" is a link to another folder: it was not followed and "
                           "stays in place."},
         [] {
             for (const char *kept : {"keep.txt", "inner\\keep.txt", "sujets.txt"})
                 EXPECT_TRUE(nltest::FileExists(Links() + "\\target\\" + kept)) << kept;
             EXPECT_EQ(nltest::DirectoryEntries(InstallDir), std::set<std::string>{"sources"});
             Unix("/bin/rm " + LinkInside());
         }},
    };
}

class UninstallFault : public InstallationTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(UninstallFault, EndsClearlyAndTouchesNothingElse)
{
    const Fault &fault = GetParam();
    InstallIn("enu");
    fault.arrange();
    std::vector<MessageBoxInfo> boxes = RunRemoval(fault.command, fault.answer);
    std::printf("%s:", fault.name);
    for (const MessageBoxInfo &box : boxes)
        std::printf(" [%s]", nltest::Utf8(box.text).c_str());
    std::printf("\n");
    ASSERT_EQ(boxes.size(), fault.boxes.size());
    for (size_t i = 0; i < boxes.size(); i++)
        EXPECT_EQ(boxes[i].text, fault.boxes[i]);
    fault.check();
}

INSTANTIATE_TEST_SUITE_P(Faults, UninstallFault, ::testing::ValuesIn(Faults()),
                         [](const ::testing::TestParamInfo<Fault> &info) { return std::string(info.param.name); });

} // namespace
