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

} // namespace nldriver

#endif
