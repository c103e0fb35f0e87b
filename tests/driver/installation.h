// Whole installations for the fault and hardening tests: the sample medium,
// its manifest, copies of it elsewhere, and a run from start to final box.
#ifndef NIMBALUNE_INSTALLATION_H
#define NIMBALUNE_INSTALLATION_H

#include "driver/driver.h"
#include "driver/setup_person.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace nldriver {

std::string MediumDir();
// The manifest written with the medium: installed path -> SHA-256.
std::map<std::string, std::string> MediumManifest();
// Copies a directory tree; false when anything could not be copied.
bool CopyTree(const std::string &from, const std::string &to);
// Files of installDir that differ from the manifest or are missing, named.
std::string TreeDifferences(const std::string &installDir);

// Starts a setup program and answers its start-up questions up to the
// panel, appending the boxes to seen when it is given; returns the main
// window, or null.
HWND StartToPanel(Process &process, const std::string &setup, std::vector<MessageBoxInfo> *seen = nullptr,
                  const BoxAnswer &answer = AnswerLikeAPerson);
// Presses Start and waits for the box at the end, which it leaves open; an
// empty box on time-out.
MessageBoxInfo StartAndWaitForEnd(const Process &process, HWND main, DWORD timeoutMs = 120000);
// Both: a whole installation up to its final box. An empty box when any of
// it did not happen.
MessageBoxInfo InstallToFinalBox(Process &process, const std::string &setup, DWORD timeoutMs = 120000,
                                 const BoxAnswer &answer = AnswerLikeAPerson);

// A whole installation through to its end: the final box's text ("(no
// final box)" when none came) once OK is pressed; expects the setup to end
// with its exit code 1, and closes the windows it opened.
std::string InstallThrough(const std::string &setup, const BoxAnswer &answer = AnswerLikeAPerson);

// After an installation: waits for the Explorer window the setup opens (it
// may appear after the setup has ended) and the product's, while the
// product runs.
void WaitForWindowsOfInstallation();
// Both, then closes them. An Explorer left running keeps the prefix's Wine
// server, and with it the test's output, alive.
void CloseWindowsOfInstallation();

// A test of whole installations: it starts from a machine that never saw the
// product, in English, and leaves none of it behind, nor the setup running.
class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Process process;
};

} // namespace nldriver

#endif
