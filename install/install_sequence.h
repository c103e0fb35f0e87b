// The whole installation, run once the start button is pressed.
#ifndef NIMBALUNE_INSTALL_SEQUENCE_H
#define NIMBALUNE_INSTALL_SEQUENCE_H

// The folders made below the installation folder, parents before
// children, each beginning with a backslash.
inline constexpr const char *InstallSubdirectories[] = {
    "\\annule",
    "\\Instruct.htm",
    "\\Instruct.htm\\English.htm",
    "\\Instruct.htm\\Francais.htm",
    "\\Instruct.htm\\Images",
    "\\Instruct.htm\\Images\\English",
    "\\Instruct.htm\\Images\\Francais",
    "\\Instruct.rtf",
    "\\Instruct.rtf\\English.rtf",
    "\\Instruct.rtf\\Francais.rtf",
    "\\Instruct.rtf\\Images",
    "\\original.jpg",
    "\\screen24.bmp",
    "\\screen8.bmp",
    "\\sources",
    "\\temp",
};
inline constexpr int InstallSubdirectoryCount = sizeof InstallSubdirectories / sizeof InstallSubdirectories[0];

void RunInstallSequence();

// Files the last installation could not copy.
int CountFailedCopies();

#endif
