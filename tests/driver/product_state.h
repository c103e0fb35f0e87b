// Everything an installation of the product leaves in the prefix, so that
// tests can start from a machine that never saw it and leave none behind.
#ifndef NIMBALUNE_PRODUCT_STATE_H
#define NIMBALUNE_PRODUCT_STATE_H

#include "driver/driver.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace nldriver {

// Removes the product's win.ini section, installation folders on C: and D:,
// uninstall entry, shortcuts, group file and group registration.
void ForgetProduct();
// Closes the windows the installation opens in other programs: the product
// stand-in, Explorer folder windows and read-me windows.
void CloseProductWindows();

// The machine as the product can change it: every file and folder of
// drive C, the values of win.ini and progman.ini, and the registry keys the
// setup writes, one line each.
std::set<std::string> MachineSnapshot();
// The lines only one of two snapshots holds, "- " before and "+ " after;
// "" when they are equal.
std::string SnapshotDifferences(const std::set<std::string> &before, const std::set<std::string> &after);

// A removal started by a command line ("uninstaller --remove Nimbalune",
// or Uninstal.exe itself): answers its question with answer, OK to the
// closing message, and returns every box it showed once all its processes
// have ended. onBox sees each box before it is answered.
std::vector<MessageBoxInfo> RunRemoval(const std::string &commandLine, int answer = IDYES,
                                       const std::function<void(const MessageBoxInfo &)> &onBox = nullptr);

// Restarts Wine's Windows (wineboot -r), which runs the file deletions put
// off until the next restart.
void RestartWindows();

} // namespace nldriver

#endif
