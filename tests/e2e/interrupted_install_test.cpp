// The setup killed while the progress window shows a copy in the middle,
// then run again in full: the second run leaves exactly what an
// uninterrupted installation leaves, and progman.ini holds one entry.
#include "driver/installation.h"
#include "driver/readback.h"
#include "driver/product_state.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <gtest/gtest.h>
#include <iostream>

namespace {

using namespace nldriver;

const char InstallDir[] = "C:\\NimbaLun";
const int PaddingFiles = 40;
const size_t PaddingBytes = 1 << 20;

std::string PaddingName(int i)
{
    return "pad" + std::to_string(100 + i) + ".dat";
}

// Everything an installation leaves, as text that can be compared whole.
std::map<std::string, std::string> Snapshot()
{
    std::map<std::string, std::string> state;
    const std::string installDir = InstallDir;
    for (const std::string &directory : ListDirectories(installDir))
        state["tree " + directory + "\\"] = "";
    for (const std::string &file : ListFiles(installDir)) {
        std::string bytes;
        nltest::ReadFileBytes(nltest::JoinPath(installDir, file), bytes);
        state["tree " + file] = nltest::Sha256Hex(bytes);
    }
    for (const auto &value : ProfileSection(nltest::ProductSection))
        state["win.ini " + value.first] = value.second;
    std::string programs = nltest::JoinPath(ShellFolder("Programs"), nltest::ProgramsFolderName);
    std::vector<std::string> links;
    for (const std::string &name : ListFiles(programs))
        links.push_back(nltest::JoinPath(programs, name));
    links.push_back(nltest::JoinPath(ShellFolder("Start Menu"), nltest::English.controlPanelLink));
    links.push_back(nltest::JoinPath(ShellFolder("Desktop"), nltest::English.controlPanelLink));
    links.push_back(nltest::JoinPath(ShellFolder("StartUp"), nltest::StartUpLinkName));
    for (const std::string &link : links) {
        Shortcut s = ReadShortcut(link);
        state["link " + link] = s.ok ? s.target + "|" + s.arguments + "|" + s.workingDirectory + "|" +
                                           std::to_string(s.showCommand)
                                     : "(unreadable)";
    }
    std::string group;
    nltest::ReadFileBytes(nltest::JoinPath(WindowsDirectory(), "nimbalun.grp"), group);
    state["group"] = nltest::Sha256Hex(group);
    for (const auto &entry : ProfileSection("Groups", nltest::JoinPath(WindowsDirectory(), "progman.ini")))
        state["progman.ini " + entry.first] = entry.second;
    std::string value;
    for (const char *name : {"DisplayName", "UninstallString"})
        state[std::string("uninstall ") + name] =
            nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, nltest::UninstallKey, name, value) ? value : "(absent)";
    return state;
}

std::string Differences(const std::map<std::string, std::string> &expected,
                        const std::map<std::string, std::string> &actual)
{
    std::string differences;
    for (const auto &item : expected) {
        auto found = actual.find(item.first);
        if (found == actual.end())
            differences += "\n  missing " + item.first;
        else if (found->second != item.second)
            differences += "\n  differs " + item.first + ": " + found->second + " instead of " + item.second;
    }
    for (const auto &item : actual)
        if (!expected.count(item.first))
            differences += "\n  extra " + item.first;
    return differences;
}

// A copy of the medium with extra stored files of this size in
// Files.ins, so that the copy lasts long enough to be interrupted.
std::string PaddedMedium(const nltest::TempDir &copy, size_t paddingBytes)
{
    nltest::RemoveTree(copy.path());
    CreateDirectoryA(copy.path().c_str(), nullptr);
    EXPECT_TRUE(CopyTree(MediumDir(), copy.path()));
    for (int i = 0; i < PaddingFiles; ++i)
        EXPECT_TRUE(nltest::WriteFileBytes(copy / ("Files.ins\\" + PaddingName(i)),
                                           std::string(paddingBytes, (char)('a' + i % 26))));
    return copy / "setup.exe";
}

int CopiedPadding()
{
    int count = 0;
    for (int i = 0; i < PaddingFiles; ++i)
        count += nltest::FileExists(nltest::JoinPath(InstallDir, PaddingName(i)));
    return count;
}

// Starts an installation and kills the setup at a moment it sees: one of
// the extra files copied and another not yet. false when the copy was over
// before that could be seen, or before the kill.
bool InstallKilledMidCopy(const std::string &setup)
{
    Process process;
    HWND main = StartToPanel(process, setup);
    EXPECT_NE(main, nullptr);
    if (!main)
        return false;
    // The extra files take a fraction of a second to copy: rather than
    // look now and then, the count is taken at each file the setup makes.
    nltest::MakeDirectories(InstallDir);
    HANDLE change = FindFirstChangeNotificationA(InstallDir, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    EXPECT_NE(change, INVALID_HANDLE_VALUE);
    PressStart(main);
    bool halfway = false;
    int copied = 0;
    while (change != INVALID_HANDLE_VALUE && !halfway && copied < PaddingFiles
           && WaitForSingleObject(change, nltest::PatientMs) == WAIT_OBJECT_0) {
        copied = CopiedPadding();
        halfway = copied > 0 && copied < PaddingFiles;
        FindNextChangeNotification(change);
    }
    Kill(process);
    if (change != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(change);
    WaitForExit(process);
    Close(process);
    copied = CopiedPadding();
    std::cout << "killed with " << copied << " of " << PaddingFiles << " extra files copied\n";
    return halfway && copied < PaddingFiles;
}

TEST(InterruptedInstall, SecondRunLeavesWhatAnUninterruptedOneLeaves)
{
    nltest::SetProfile("Intl", "sLanguage", "enu");
    nltest::TempDir copy("interrupted");

    // A machine that copies the whole payload between two looks gets a
    // larger one.
    std::string setup;
    bool interrupted = false;
    for (size_t bytes = PaddingBytes; !interrupted && bytes <= 16 * PaddingBytes; bytes *= 4) {
        ForgetProduct();
        setup = PaddedMedium(copy, bytes);
        interrupted = InstallKilledMidCopy(setup);
    }
    ASSERT_TRUE(interrupted) << "the copy always ended before the kill";

    // The second, full run, then the installation as it should be.
    const std::string success = nltest::English.doneNotice;
    EXPECT_EQ(InstallThrough(setup), success);
    std::map<std::string, std::string> second = Snapshot();
    EXPECT_EQ(ProfileSection("Groups", nltest::JoinPath(WindowsDirectory(), "progman.ini")).size(), 1u);
    ForgetProduct();
    EXPECT_EQ(InstallThrough(setup), success);
    std::map<std::string, std::string> expected = Snapshot();
    ASSERT_EQ(expected.count("tree " + PaddingName(0)), 1u);
    EXPECT_EQ(Differences(expected, second), "");

    ForgetProduct();
}

} // namespace
