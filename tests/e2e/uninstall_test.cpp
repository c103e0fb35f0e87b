// wine-fixture: directory_links
// Uninstal.exe from the sample medium: a round trip through Wine's own
// Add/Remove Programs (the machine afterwards as it was before), and the
// odd states a removal meets, each with what it leaves behind.
#include "driver/driver.h"
#include "driver/installation.h"
#include "driver/product_state.h"
#include "driver/readback.h"
#include "support/product_names.h"
#include "support/saved_settings.h"
#include "support/shell_support.h"
#include "support/test_support.h"
#include "e2e/removal_steps.h"

#include <gtest/gtest.h>
#include <sstream>
#include <algorithm>

namespace {

using namespace nldriver;


// Uninstal.exe as built, run from outside any installation.
std::string BuiltUninstaller()
{
    return "\"" + nltest::JoinPath(nltest::BuildDir(), "Uninstal.exe") + "\"";
}

std::string Installed(const std::string &relative)
{
    return nltest::JoinPath(InstallDir, relative);
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
const std::string Incomplete = "Nimbalune could not be removed completely: it stays registered on this computer. "
                               "Run the removal again once the files below are free.";
// The question, up to the folder it names.
const std::string AskedLead = "Remove Nimbalune from this computer?\n\nIts files will be removed from this folder:\n";
std::string AskedFor(const std::string &folder)
{
    return AskedLead + folder;
}
const std::string Asked = AskedFor(InstallDir);
std::string NotAnInstallation(const std::string &folder)
{
    return "The folder \"" + folder + "\" is not an installation of Nimbalune: it does not hold the list of "
           "installed files (Uninstal.lst) naming its program. Nothing was removed.";
}

// A machine in use, for the life of the object: Program Manager groups of
// other programs with their keys and numbers (Group2 left free), and the
// user's own shortcuts beside the product's.
class UsersOwnShell : public nltest::SavedState {
public:
    UsersOwnShell()
    {
        const std::string windows = WindowsDirectory(), progman = nltest::JoinPath(windows, "progman.ini");
        const std::string notepad = nltest::JoinPath(windows, "notepad.exe");
        KeepFile(progman);
        for (const char *key : {"Group1", "Group3"}) {
            std::string group = nltest::JoinPath(windows, std::string("user") + key + ".grp");
            KeepFile(group);
            EXPECT_TRUE(nltest::WriteFileBytes(group, "PMCC the user's group"));
            WritePrivateProfileStringA("Groups", key, group.c_str(), progman.c_str());
        }
        WritePrivateProfileStringA("Settings", "Order", " 1 3", progman.c_str());
        for (const char *folder : {"StartUp", "Desktop", "Programs"}) {
            std::string link = nltest::JoinPath(ShellFolder(folder), "Bloc-notes.lnk");
            KeepFile(link);
            EXPECT_TRUE(nltest::WriteShortcut(link, notepad)) << link;
        }
    }
};

struct RoundTrip {
    const char *name;
    std::vector<const char *> installations;    // regional language of each, in turn
    std::string questionLead;                   // UTF-8, up to the folder
    std::string closing;
};

class UninstallRoundTrip : public InstallationTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(UninstallRoundTrip, LeavesTheMachineAsItWas)
{
    const RoundTrip &trip = GetParam();
    UsersOwnShell usersOwn;
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

    const std::string folder = nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey);
    int shot = 0;
    std::vector<MessageBoxInfo> boxes = RunRemoval(RemoveCommand, IDYES, [&](const MessageBoxInfo &) {
        Screenshot(std::string("uninstall-") + trip.name + "-" + std::to_string(++shot));
    });
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, nltest::Cp1252(trip.questionLead) + folder);
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
        RoundTrip{"french", {"fra"}, "Voulez-vous enlever Nimbalune de cet ordinateur ?\n\nSes fichiers seront "
                                     "enlevés de ce dossier :\n",
                  "Nimbalune a été enlevé de cet ordinateur."},
        RoundTrip{"english", {"enu"}, AskedLead, Removed},
        RoundTrip{"french_then_english", {"fra", "enu"}, AskedLead, Removed}),
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

// The Linux path of a folder on C:.
std::string OnDriveC(const std::string &folder)
{
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    return std::string(prefix) + "/drive_c/" + folder;
}

std::string LinkInside()
{
    return OnDriveC("NimbaLun/sources");
}

HANDLE heldFile = INVALID_HANDLE_VALUE;
Process product;
// What a row changes beyond the product, put back however the row ends.
nltest::SavedState *rowState = nullptr;

// A folder of the user's, with files in folders named as the product's
// working folders and a file named as its INI file.
const char UserFolder[] = "C:\\My Documents";
const char *const UserFiles[] = {"temp\\draft.doc", "annule\\notes.txt", "screen8.bmp\\map.bmp",
                                 "screen24.bmp\\holiday.bmp", "nimbalun.ini"};

void PlaceUserFiles()
{
    nltest::RemoveTree(UserFolder);
    for (const char *file : UserFiles) {
        std::string path = nltest::JoinPath(UserFolder, file);
        ASSERT_TRUE(nltest::MakeDirectories(path.substr(0, path.rfind('\\'))));
        ASSERT_TRUE(nltest::WriteFileBytes(path, "the user's"));
    }
}

// The user's files all there, the installation untouched and still
// registered.
void ExpectNothingRemoved()
{
    for (const char *file : UserFiles)
        EXPECT_TRUE(nltest::FileExists(nltest::JoinPath(UserFolder, file))) << file;
    nltest::RemoveTree(UserFolder);
    EXPECT_EQ(TreeDifferences(InstallDir), "");
    EXPECT_TRUE(nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey));
    EXPECT_TRUE(nltest::FileExists(nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName)));
}

const std::string AskedToClose = nltest::JoinPath(nltest::BuildDir(), "standin-destroyed.txt");

// Another program's stand-in whose window "Current hwnd" names, started
// as program (hang: it stops answering messages).
void StartStandIn(const std::string &program, const char *mode)
{
    DeleteFileA(AskedToClose.c_str());
    product = Launch("\"" + program + "\" " + Installed("nimbalun.ini") + " " + AskedToClose + " " + mode);
    ASSERT_TRUE(WaitUntil([] {
        return GetPrivateProfileIntA("", "Current hwnd", 65535, Installed("nimbalun.ini").c_str()) != 65535;
    }));
}

// Other programs' renames at the next restart, 40 KB of them.
std::string OthersRenames()
{
    std::string others;
    for (int i = 0; others.size() < 40000; i++)
        others += "NUL=C:\\OTHERS\\GONE" + std::to_string(i) + ".TMP\r\n";
    return others;
}

// Registrations of an installation that a removal kept, for a later run.
void ExpectStillRegistered()
{
    EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), InstallDir);
    EXPECT_TRUE(nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey));
}

std::string StandIn()
{
    return nltest::JoinPath(nltest::ProgramDirectory(), "product_standin.exe");
}

void ExpectNoTrace()
{
    EXPECT_FALSE(AnyProductTrace());
}

// Files as the setup would have left them in a shared folder, with the
// installed-file list naming them.
void PlaceListedFiles(const std::string &folder, const std::string &list)
{
    ASSERT_TRUE(nltest::MakeDirectories(nltest::JoinPath(folder, "sources")));
    for (const char *program : {"Configur.exe", "nimbalun.exe"})
        ASSERT_TRUE(CopyFileA(Installed(program).c_str(), nltest::JoinPath(folder, program).c_str(), FALSE));
    ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(folder, "sources\\sujets.txt"), "listed"));
    ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(folder, "Uninstal.lst"), list));
    nltest::SetProfile(nltest::ProductSection, nltest::DirectoryKey, folder.c_str());
}

std::vector<Fault> Faults()
{
    const std::string windows = WindowsDirectory();
    const std::string programs = nltest::JoinPath(ShellFolder("Programs"), nltest::ProgramsFolderName);
    const std::string listed = "nimbalun.exe\r\nConfigur.exe\r\nsources\\sujets.txt\r\nUninstal.lst\r\n";
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
         [windows] {
             rowState->KeepRegistryValue(HKEY_CURRENT_USER, "Software\\Wine", "Version");
             for (const char *name : {"wininit.ini", "wininit.bak"})
                 rowState->KeepFile(nltest::JoinPath(windows, name));
             nltest::WriteRegistryString(HKEY_CURRENT_USER, "Software\\Wine", "Version", "win98");
             ASSERT_TRUE(nltest::WriteFileBytes(nltest::JoinPath(windows, "wininit.ini"), "[rename]\r\n" + OthersRenames()));
             SetFileAttributesA(nltest::JoinPath(windows, "wininit.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
         },
         ShortcutCommand, IDYES, {Asked, Removed},
         [windows] {
             nltest::DeleteRegistryValue(HKEY_CURRENT_USER, "Software\\Wine", "Version");
             EXPECT_EQ(GetFileAttributesA(nltest::JoinPath(windows, "wininit.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN,
                       (DWORD)FILE_ATTRIBUTE_HIDDEN);
             // The keeper's line comes first (the keeper itself is deleted
             // already), then the line of the copy that removed.
             std::string wininit = nltest::ReadFileText(nltest::JoinPath(windows, "wininit.ini"));
             std::vector<std::string> ours;
             std::istringstream lines(wininit);
             std::string line;
             std::getline(lines, line);
             while (ours.size() < 2 && std::getline(lines, line) && line.compare(0, 4, "NUL=") == 0)
                 ours.push_back(line.substr(4, line.find('\r') - 4));
             ASSERT_EQ(ours.size(), 2u) << wininit.substr(0, 200);
             std::string keeper = ours[0], copy = ours[1];
             EXPECT_FALSE(nltest::FileExists(keeper)) << keeper;
             EXPECT_TRUE(nltest::FileExists(copy)) << copy;
             EXPECT_EQ(wininit, "[rename]\r\nNUL=" + keeper + "\r\nNUL=" + copy + "\r\n" + OthersRenames());
             RestartWindows();
             EXPECT_FALSE(nltest::FileExists(copy)) << copy;
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
         {Asked, Incomplete + "\n\nThe file \"C:\\NimbaLun\\sources\\sujets.txt\" is in use by a program: it was kept."},
         [] {
             CloseHandle(heldFile);
             // What a later run needs stays with it.
             std::vector<std::string> left = ListFiles(InstallDir);
             EXPECT_EQ(std::set<std::string>(left.begin(), left.end()),
                       (std::set<std::string>{"sources\\sujets.txt", "Uninstal.exe", "Uninstal.lst"}));
             EXPECT_EQ(ListDirectories(InstallDir), std::vector<std::string>{"sources"});
             EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), InstallDir);
             EXPECT_TRUE(nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey));
             EXPECT_EQ(RunRemoval(ShortcutCommand).size(), 2u);
             ExpectNoTrace();
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
         {AskedFor("C:\\"), Removed + "\n\n\"C:\\\" is the root of a drive or the Windows folder: only the files Nimbalune "
                           "installed were removed from it."},
         [] {
             for (const char *gone : {"C:\\Configur.exe", "C:\\nimbalun.exe", "C:\\sources", "C:\\Uninstal.lst"})
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
         // The shortcuts point into C:\NimbaLun, not into the folder removed.
         {AskedFor(windows), Removed + "\n\n\"" + windows + "\" is the root of a drive or the Windows folder: only "
                                       "the files Nimbalune installed were removed from it.\n\nThe folder \"" + programs
                                       + "\" was kept: it holds files that Nimbalune did not install."},
         [windows] {
             EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(windows, "Configur.exe")));
             EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(windows, "nimbalun.exe")));
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
        {"directory_names_a_users_folder",
         [] {
             PlaceUserFiles();
             nltest::SetProfile(nltest::ProductSection, nltest::DirectoryKey, UserFolder);
         },
         ShortcutCommand, IDYES, {NotAnInstallation(UserFolder)}, ExpectNothingRemoved},
        {"directory_cut_to_a_users_folder",
         [] {
             // Read cut to 255 characters, "C:\My Documents\.\. ... \." is the user's folder.
             PlaceUserFiles();
             std::string directory = UserFolder;
             while (directory.size() < 255)
                 directory += "\\.";
             directory += "\\" + std::string(300 - directory.size() - 1, 'x');
             nltest::SetProfile(nltest::ProductSection, nltest::DirectoryKey, directory.c_str());
         },
         ShortcutCommand, IDYES,
         {"The folder of Nimbalune recorded in win.ini is too long or not a full path. Nothing was removed."},
         ExpectNothingRemoved},
        {"hand_over_typed_by_hand", PlaceUserFiles, BuiltUninstaller() + " /finish 1234 " + UserFolder, IDNO,
         {Asked}, ExpectNothingRemoved},
        {"list_missing", [] { DeleteFileA(Installed("Uninstal.lst").c_str()); }, ShortcutCommand, IDYES,
         {NotAnInstallation(InstallDir)},
         [] {
             EXPECT_EQ(TreeDifferences(InstallDir), " missing:Uninstal.lst");
             EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), InstallDir);
             EXPECT_TRUE(nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey));
         }},
        {"stale_window_handle_of_another_program", [] { StartStandIn(StandIn(), ""); }, ShortcutCommand, IDYES,
         {Asked, Removed},
         [] {
             EXPECT_FALSE(nltest::FileExists(AskedToClose));
             EXPECT_TRUE(IsRunning(product));
             Kill(product);
             Close(product);
             ExpectNoTrace();
         }},
        {"product_stops_answering",
         [] {
             // The product's program is a stand-in that hangs.
             ASSERT_TRUE(WaitUntil([] { return CopyFileA(StandIn().c_str(), Installed("nimbalun.exe").c_str(), FALSE) != 0; }));
             StartStandIn(Installed("nimbalun.exe"), "hang");
         },
         ShortcutCommand, IDYES,
         {Asked, "Nimbalune is still running and did not close. Close it, then run the removal again. Nothing was "
                 "removed."},
         [] {
             EXPECT_TRUE(IsRunning(product));
             Kill(product);
             Close(product);
             EXPECT_EQ(TreeDifferences(InstallDir), " differs:nimbalun.exe");
             EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::DirectoryKey), InstallDir);
             EXPECT_TRUE(nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey));
         }},
        {"users_shortcut_under_the_products_name",
         [windows] {
             std::string link = nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName);
             ASSERT_TRUE(DeleteFileA(link.c_str()));
             ASSERT_TRUE(nltest::WriteShortcut(link, nltest::JoinPath(windows, "notepad.exe")));
         },
         ShortcutCommand, IDYES, {Asked, Removed},
         [windows] {
             std::string link = nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName);
             EXPECT_EQ(nltest::ReadShortcut(link).target, nltest::JoinPath(windows, "notepad.exe"));
             DeleteFileA(link.c_str());
             ExpectNoTrace();
         }},
        {"no_temporary_folder",
         [] {
             // The folder TEMP and TMP name does not exist: no copy can be made.
             for (const char *name : {"TEMP", "TMP"})
                 SetEnvironmentVariableA(name, "C:\\NoSuchTemp");
         },
         ShortcutCommand, IDYES,
         {Asked, "Nimbalune has been removed from this computer. The removal is complete once Windows restarts: its "
                 "uninstaller and its folder are deleted then."},
         [] {
             char temp[MAX_PATH];
             GetWindowsDirectoryA(temp, MAX_PATH);
             for (const char *name : {"TEMP", "TMP"})
                 SetEnvironmentVariableA(name, (std::string(temp) + "\\temp").c_str());
             std::vector<std::string> left = ListFiles(InstallDir);
             EXPECT_EQ(std::set<std::string>(left.begin(), left.end()),
                       (std::set<std::string>{"Uninstal.exe", "Uninstal.lst"}));
             RestartWindows();
             ExpectNoTrace();
         }},
        {"list_cut_mid_line",
         [] {
             std::string list;
             ASSERT_TRUE(nltest::ReadFileBytes(Installed("Uninstal.lst"), list));
             ASSERT_TRUE(nltest::WriteFileBytes(Installed("Uninstal.lst"), list.substr(0, list.find("sources\\LISEZ") + 13)));
         },
         ShortcutCommand, IDYES,
         {"The list of installed files (Uninstal.lst) in the folder \"C:\\NimbaLun\" is damaged: it is not whole or does "
          "not name itself. Nothing was removed."},
         [] {
             EXPECT_EQ(TreeDifferences(InstallDir), " differs:Uninstal.lst");
             ExpectStillRegistered();
         }},
        {"renamed_installation_run_from_its_new_folder",
         [] { ASSERT_TRUE(MoveFileA(InstallDir, "C:\\Nimba2")); }, "\"C:\\Nimba2\\Uninstal.exe\"", IDYES,
         {AskedFor("C:\\Nimba2"), Removed},
         [] {
             EXPECT_FALSE(nltest::DirectoryExists("C:\\Nimba2"));
             nltest::RemoveTree("C:\\Nimba2");
             ExpectNoTrace();
         }},
        {"busy_folder_and_held_file",
         [] {
             product = Launch("notepad.exe", Installed("sources"));
             heldFile = CreateFileA(Installed("Instruct.rtf\\Lisezmoi.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
             ASSERT_NE(heldFile, INVALID_HANDLE_VALUE);
         },
         ShortcutCommand, IDYES,
         {Asked, Incomplete + "\n\nThe file \"C:\\NimbaLun\\Instruct.rtf\\Lisezmoi.txt\" is in use by a program: it "
                              "was kept.\n\nThe folder \"C:\\NimbaLun\\sources\" is in use by a program: it was kept."},
         [] {
             std::vector<std::string> left = ListFiles(InstallDir);
             EXPECT_EQ(std::set<std::string>(left.begin(), left.end()),
                       (std::set<std::string>{"Instruct.rtf\\Lisezmoi.txt", "Uninstal.exe", "Uninstal.lst"}));
             ExpectStillRegistered();
             // Once they are free, a second run finishes.
             CloseHandle(heldFile);
             Kill(product);
             Close(product);
             EXPECT_EQ(RunRemoval(ShortcutCommand).size(), 2u);
             ExpectNoTrace();
         }},
        {"linked_installation_folder",
         [] {
             ASSERT_TRUE(MoveFileA(InstallDir, "C:\\NimbaReal"));
             Unix("/bin/ln -s " + OnDriveC("NimbaReal") + " " + OnDriveC("NimbaLun"));
         },
         BuiltUninstaller(), IDYES,
         {"The folder \"C:\\NimbaLun\" is a link to another folder: nothing is removed through a link. Nothing was "
          "removed."},
         [] {
             EXPECT_EQ(TreeDifferences("C:\\NimbaReal"), "");
             ExpectStillRegistered();
             Unix("/bin/rm " + OnDriveC("NimbaLun"));
             nltest::RemoveTree("C:\\NimbaReal");
         }},
        {"directory_inside_the_windows_folder",
         [windows, listed] { PlaceListedFiles(nltest::JoinPath(windows, "Nimbalun"), listed); }, BuiltUninstaller(),
         IDYES,
         // Not shared: the folder goes whole. The shortcuts point into C:\NimbaLun.
         {AskedFor(nltest::JoinPath(windows, "Nimbalun")),
          Removed + "\n\nThe folder \"" + programs + "\" was kept: it holds files that Nimbalune did not install."},
         [windows] {
             EXPECT_FALSE(nltest::DirectoryExists(nltest::JoinPath(windows, "Nimbalun")));
             EXPECT_EQ(TreeDifferences(InstallDir), "");
         }},
        {"progman_ini_with_a_comment",
         [windows] {
             std::string progman = nltest::JoinPath(windows, "progman.ini");
             rowState->KeepFile(progman);
             std::string text = nltest::ReadFileText(progman);
             ASSERT_TRUE(nltest::WriteFileBytes(progman, "; the user's note\r\n" + text));
         },
         ShortcutCommand, IDYES, {Asked, Removed},
         [windows] {
             std::string text = nltest::ReadFileText(nltest::JoinPath(windows, "progman.ini"));
             EXPECT_EQ(text.find("; the user's note"), 0u) << text;
             EXPECT_EQ(text.find("nimbalun.grp"), std::string::npos) << text;
             ExpectNoTrace();
         }},
    };
}

class UninstallFault : public InstallationTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(UninstallFault, EndsClearlyAndTouchesNothingElse)
{
    const Fault &fault = GetParam();
    nltest::SavedState saved;
    rowState = &saved;
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
