// The setup killed while the progress window shows a copy in the middle,
// then run again in full: the second run leaves exactly what an
// uninterrupted installation leaves, and progman.ini holds one entry.
// The medium gets extra stored files so that the copy lasts long enough
// to be interrupted.
#include "driver/installation.h"
#include "driver/readback.h"
#include "driver/product_state.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <iostream>

namespace {

using namespace nldriver;

const int PaddingFiles = 40;
const size_t PaddingBytes = 1 << 20;
const char ProgressClass[] = "NLclasse_progression";

std::string PaddingName(int i)
{
    return "pad" + std::to_string(100 + i) + ".dat";
}

// Everything an installation leaves, as text that can be compared whole.
std::map<std::string, std::string> Snapshot()
{
    std::map<std::string, std::string> state;
    const std::string installDir = "C:\\NimbaLun";
    for (const std::string &directory : ListDirectories(installDir))
        state["tree " + directory + "\\"] = "";
    for (const std::string &file : ListFiles(installDir)) {
        std::string bytes;
        nltest::ReadFileBytes(nltest::JoinPath(installDir, file), bytes);
        state["tree " + file] = nltest::Sha256Hex(bytes);
    }
    for (const auto &value : ProfileSection("Nimba Lune"))
        state["win.ini " + value.first] = value.second;
    std::string programs = nltest::JoinPath(ShellFolder("Programs"), "Nimbalune");
    std::vector<std::string> links;
    for (const std::string &name : ListFiles(programs))
        links.push_back(nltest::JoinPath(programs, name));
    links.push_back(ShellFolder("Start Menu") + "\\Control panel of Nimbalune.lnk");
    links.push_back(ShellFolder("Desktop") + "\\Control panel of Nimbalune.lnk");
    links.push_back(ShellFolder("StartUp") + "\\Nimbalune.lnk");
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
            nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, UninstallKey, name, value) ? value : "(absent)";
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

TEST(InterruptedInstall, SecondRunLeavesWhatAnUninterruptedOneLeaves)
{
    ForgetProduct();
    nltest::SetProfile("Intl", "sLanguage", "enu");
    nltest::TempDir copy("interrupted");
    ASSERT_TRUE(CopyTree(MediumDir(), copy.path()));
    for (int i = 0; i < PaddingFiles; ++i)
        ASSERT_TRUE(nltest::WriteFileBytes(copy / ("Files.ins\\" + PaddingName(i)),
                                           std::string(PaddingBytes, (char)('a' + i % 26))));
    std::string setup = copy / "setup.exe";

    // The installation as it should be.
    Process process;
    MessageBoxInfo done = InstallToFinalBox(process, setup);
    ASSERT_EQ(done.text, "The installation ends successfully.\n");
    Answer(done, IDOK);
    WaitForExit(process);
    Close(process);
    CloseWindowsOfInstallation();
    std::map<std::string, std::string> expected = Snapshot();
    ASSERT_EQ(expected.count("tree " + PaddingName(0)), 1u);
    ForgetProduct();

    // Killed once the copy is under way and before it is over.
    process = Launch("\"" + setup + "\"", nltest::BuildDir());
    HWND main = WaitForPanel(process);
    ASSERT_NE(main, nullptr);
    PressStart(main);
    auto copied = [] {
        int count = 0;
        for (int i = 0; i < PaddingFiles; ++i)
            count += nltest::FileExists("C:\\NimbaLun\\" + PaddingName(i));
        return count;
    };
    EXPECT_TRUE(WaitForWindow(process.id, [](const WindowInfo &w) { return w.className == ProgressClass; }, 30000));
    // The extra files take a fraction of a second to copy: the driver's
    // usual pace of a look every 50 ms would miss them.
    DWORD start = GetTickCount();
    while (copied() < 2 && GetTickCount() - start < 30000)
        Sleep(1);
    Kill(process);
    WaitForExit(process);
    Close(process);
    int copiedBeforeKill = copied();
    std::cout << "killed with " << copiedBeforeKill << " of " << PaddingFiles << " extra files copied\n";
    EXPECT_GE(copiedBeforeKill, 2);
    EXPECT_LT(copiedBeforeKill, PaddingFiles) << "the copy ended before the kill";

    // The second, full run.
    done = InstallToFinalBox(process, setup);
    EXPECT_EQ(done.text, "The installation ends successfully.\n");
    if (done.handle)
        Answer(done, IDOK);
    WaitForExit(process);
    Close(process);
    CloseWindowsOfInstallation();
    EXPECT_EQ(Differences(expected, Snapshot()), "");
    EXPECT_EQ(ProfileSection("Groups", nltest::JoinPath(WindowsDirectory(), "progman.ini")).size(), 1u);

    ForgetProduct();
}

} // namespace
