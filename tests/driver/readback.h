// Looking at what an installation left behind: files, shortcuts, shell
// folders and profile sections.
#ifndef NIMBALUNE_READBACK_H
#define NIMBALUNE_READBACK_H

#include "support/shell_support.h"

#include <map>
#include <string>
#include <vector>

namespace nldriver {

using nltest::ReadShortcut;
using nltest::Shortcut;

// Every file below a directory, as paths relative to it with backslashes.
std::vector<std::string> ListFiles(const std::string &directory);
// Every directory below a directory, relative to it.
std::vector<std::string> ListDirectories(const std::string &directory);

// A value of HKCU\...\Explorer\Shell Folders ("Programs", "Desktop", ...).
std::string ShellFolder(const std::string &name);

// The key=value lines of a profile section (win.ini when file is "").
std::map<std::string, std::string> ProfileSection(const std::string &section, const std::string &file = "");

std::string WindowsDirectory();

// The Program Manager group file: the offsets of the drive letters a setup
// patches, and the 16-bit sum of its whole words (a last odd byte takes no
// part), zero when its checksum is right.
extern const size_t GroupDriveLetterOffsets[9];
unsigned GroupWordSum(const std::string &bytes);
// What is wrong with a group file patched for this drive: each letter not
// the drive's, a checksum that does not sum to zero; "" when nothing.
std::string GroupPatchFaults(const std::string &group, char drive);

} // namespace nldriver

#endif
