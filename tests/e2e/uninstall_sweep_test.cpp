// The removal stopped after each of its changes to the machine, as
// abruptly as a power cut, and Windows started again; a second run, started through the uninstall
// entry as a person would, then leaves the machine as it was before the
// installation. The installed Uninstal.exe is the counting build
// (interrupted_uninstal.exe), which logs each change and stops after the
// k-th. make test runs a spread of k; NL_SWEEP=all (make test-sweep) every k.
#include "driver/driver.h"
#include "driver/product_state.h"
#include "e2e/removal_steps.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace nldriver;

std::string ChangeLog()
{
    return nltest::JoinPath(nltest::BuildDir(), "sweep-changes.txt");
}

std::vector<std::string> LogLines()
{
    std::vector<std::string> lines;
    std::istringstream text(nltest::ReadFileText(ChangeLog()));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

bool Logged(const std::string &word)
{
    for (const std::string &line : LogLines())
        if (line == word)
            return true;
    return false;
}

// Installs, puts the counting build in the place of Uninstal.exe and runs
// it as its shortcut does, answering Yes. Stopped after change stopAfter
// (0: never), it shows no closing message: then waits for the processes
// the log names (the program and its finishing copy) to end.
void InstallAndRemove(int stopAfter)
{
    InstallIn("enu");
    ASSERT_TRUE(CopyFileA(nltest::JoinPath(nltest::ProgramDirectory(), "interrupted_uninstal.exe").c_str(),
                          nltest::JoinPath(InstallDir, "Uninstal.exe").c_str(), FALSE));
    DeleteFileA(ChangeLog().c_str());
    SetEnvironmentVariableA("NL_CHANGE_LOG", ChangeLog().c_str());
    SetEnvironmentVariableA("NL_STOP_AFTER", stopAfter ? std::to_string(stopAfter).c_str() : nullptr);
    if (stopAfter == 0) {
        EXPECT_EQ(RunRemoval(ShortcutCommand).size(), 2u);
    } else {
        Process started = Launch(ShortcutCommand, nltest::BuildDir());
        MessageBoxInfo question = WaitForMessageBox(started.id);
        Answer(question, IDYES);
        WaitForExit(started);
        Close(started);
        EXPECT_TRUE(WaitUntil([] { return Logged("stop"); })) << "k=" << stopAfter;
    }
    SetEnvironmentVariableA("NL_CHANGE_LOG", nullptr);
    SetEnvironmentVariableA("NL_STOP_AFTER", nullptr);
    for (const std::string &line : LogLines())
        if (line.compare(0, 6, "start ") == 0) {
            HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(line.substr(6)));
            if (process) {
                WaitForSingleObject(process, nltest::PatientMs);
                CloseHandle(process);
            }
        }
}

// The changes an ordinary removal makes, in order.
std::vector<std::string> Changes()
{
    std::vector<std::string> changes;
    for (const std::string &line : LogLines())
        if (!line.empty() && line[0] >= '1' && line[0] <= '9')
            changes.push_back(line);
    return changes;
}

class UninstallSweep : public InstallationTest {};

TEST_F(UninstallSweep, EveryStopIsFinishedByASecondRun)
{
    std::set<std::string> before = MachineSnapshot();
    InstallAndRemove(0);
    const std::vector<std::string> changes = Changes();
    const int n = (int)changes.size();
    std::printf("An ordinary removal makes %d changes:\n", n);
    for (const std::string &change : changes)
        std::printf("  %s\n", change.c_str());
    RestartWindows();
    ASSERT_EQ(SnapshotDifferences(before, MachineSnapshot()), "");
    ASSERT_GT(n, 10);

    // Without NL_SWEEP=all: the first change, one amid the files, and those
    // after the uninstaller is deleted, the folder is removed and the win.ini
    // section goes, where only the entry is left to finish.
    std::vector<int> stops;
    char sweep[8] = "";
    GetEnvironmentVariableA("NL_SWEEP", sweep, sizeof sweep);
    for (int k = 1; k <= n; k++)
        if (std::string(sweep) == "all" || k == 1 || k == n / 2 || k == n - 4 || k == n - 2 || k == n - 1)
            stops.push_back(k);
    int passed = 0;
    for (int k : stops) {
        InstallAndRemove(k);
        // A power cut: Windows starts again before the second run, and
        // carries out the deletions scheduled for the restart.
        RestartWindows();
        std::string stoppedAfter = k <= n ? changes[k - 1] : "";
        std::vector<MessageBoxInfo> boxes;
        if (nltest::RegistryKeyExists(HKEY_LOCAL_MACHINE, nltest::UninstallKey))
            boxes = RunRemoval(RemoveCommand);
        // Stopped between scheduling the keeper's deletion and removing the
        // entry, the restart leaves an entry whose program is gone: Add/Remove
        // Programs offers to drop it, and Wine's, answered Yes, says so but
        // keeps the key. Dropped here as Windows drops it.
        std::string program;
        if (nltest::ReadRegistryString(HKEY_LOCAL_MACHINE, nltest::UninstallKey, "UninstallString", program)
            && !nltest::FileExists(program) && !boxes.empty()
            && nltest::Utf8(boxes.back().text).find("failed, perhaps due to missing executable") != std::string::npos) {
            std::printf("k=%d: the entry names no program; dropped as Add/Remove Programs offers\n", k);
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, nltest::UninstallKey);
        }
        RestartWindows();
        std::string differences = SnapshotDifferences(before, MachineSnapshot());
        std::printf("k=%d after [%s]: second run %zu boxes%s, %s\n", k, stoppedAfter.c_str(), boxes.size(),
                    boxes.empty() ? "" : (" [" + nltest::Utf8(boxes.back().text) + "]").c_str(),
                    differences.empty() ? "no difference" : ("\n" + differences).c_str());
        EXPECT_EQ(differences, "") << "k=" << k;
        if (differences.empty())
            passed++;
        else
            ForgetProduct();
    }
    std::printf("Sweep: %d of %zu stops finished by a second run\n", passed, stops.size());
}

} // namespace
