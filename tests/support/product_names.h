// The names the setup leaves on a machine, spelled once for the tests that
// do not link the program (the driver, the end-to-end tests). Tests that
// link it take them from the program's own definitions.
#ifndef NIMBALUNE_PRODUCT_NAMES_H
#define NIMBALUNE_PRODUCT_NAMES_H

namespace nltest {

// win.ini
inline constexpr char ProductSection[] = "Nimba Lune";
inline constexpr char DirectoryKey[] = "Directory";
inline constexpr char ProgramKey[] = "Program";
inline constexpr char IniFileKey[] = "INI file";
inline constexpr char LanguageKey[] = "Language";

inline constexpr char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbalune";
// The product's folder in the Programs menu, and its start-up shortcut.
inline constexpr char ProgramsFolderName[] = "Nimbalune";
inline constexpr char StartUpLinkName[] = "Nimbalune.lnk";

// What differs between the two languages, UTF-8 (Cp1252() gives the bytes
// the setup writes).
struct LanguageNames {
    const char *name;
    const char *setting;            // [Intl] sLanguage that proposes it
    const char *choice;             // the product section's "Language"
    const char *caption;
    const char *doneNotice;
    const char *startLink;          // the four shortcuts of the product's folder
    const char *controlPanelLink;
    const char *instructionsLink;
    const char *uninstallLink;
    const char *readmeProgram;      // what the instructions shortcut starts
    const char *driveLine;          // the start of the drive list's line for C:
    const char *panelText;          // the panel's text without a previous installation
    const char *startButton;
};

inline constexpr LanguageNames French = {
    "French", "fra", "0", "Installation de Nimbalune", u8"L'installation est terminée avec succès.\n",
    u8"Démarrer Nimbalune.lnk", u8"Panneau de contrôle de Nimbalune.lnk", "Notice et aide de Nimbalune.lnk",
    u8"Désinstaller Nimbalune.lnk", "lisezmoi.exe", "C= Disque C: ",
    "Veuillez choisir un disque ayant plus de 35 Mo libres pour Nimbalune", "Commencer l'installation"};
inline constexpr LanguageNames English = {
    "English", "enu", "1", "Installation of Nimbalune", "The installation ends successfully.\n",
    "Starting Nimbalune.lnk", "Control panel of Nimbalune.lnk", "Instructions and help for Nimbalune.lnk",
    "Uninstalling Nimbalune.lnk", "readme.exe", "C= Disk C: ",
    "Please choose a disk with more than 35 Mb free for Nimbalune", "Start installation"};
inline constexpr const LanguageNames *Languages[] = {&French, &English};

} // namespace nltest

#endif
