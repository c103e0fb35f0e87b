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
    // The questions of the start-up checks.
    const char *languageQuestion;   // when this language is proposed
    const char *oldWindows;
    const char *palette;            // on a 256-colour screen
    const char *newerVersion;
};

inline constexpr LanguageNames French = {
    "French", "fra", "0", "Installation de Nimbalune", u8"L'installation est terminée avec succès.\n",
    u8"Démarrer Nimbalune.lnk", u8"Panneau de contrôle de Nimbalune.lnk", "Notice et aide de Nimbalune.lnk",
    u8"Désinstaller Nimbalune.lnk", "lisezmoi.exe", "C= Disque C: ",
    "Veuillez choisir un disque ayant plus de 35 Mo libres pour Nimbalune", "Commencer l'installation",
    u8"Voulez-vous utiliser la langue française ? (sinon anglaise)\n\n"
    u8"Do you want to use french language ? (otherwise english language)",
    u8"Nimbalune ne fonctionne pas correctement sous Windows 3.x, seulement sous Windows 95 et 98. Toutefois, "
    u8"voulez-vous jeter un coup d'oeil ? (à vos risques et périls)",
    u8"Votre carte vidéo est actuellement configurée en 256 couleurs.\nNimbalune fonctionne bien mieux en 65536 "
    u8"couleurs (16 bits).\nVoulez-vous arreter le 'setup' pour changer de mode vidéo ?\n (il faudra relancer "
    u8"'setup.exe' ensuite).",
    u8"ATTENTION\nUne version plus récente de Nimbalune est actuellement installée. En continuant cette "
    u8"installation, vous allez l'écraser !\n Voulez-vous continuer ?"};
inline constexpr LanguageNames English = {
    "English", "enu", "1", "Installation of Nimbalune", "The installation ends successfully.\n",
    "Starting Nimbalune.lnk", "Control panel of Nimbalune.lnk", "Instructions and help for Nimbalune.lnk",
    "Uninstalling Nimbalune.lnk", "readme.exe", "C= Disk C: ",
    "Please choose a disk with more than 35 Mb free for Nimbalune", "Start installation",
    u8"Do you want to use english language ? (otherwise french language)\n\n"
    u8"Voulez-vous utiliser la langue anglaise ? (sinon française)",
    "Nimbalune cannot work perfectly with Windows 3.x, it works well with Windows 95 or 98. However, you could try "
    "it. (at your own risk)",
    "Your video adapter is currently configured for 256 colors.\nNimbalune works much better with 65536 colors "
    "(16 bits).\nDo you want to stop the 'setup' to change the video mode ?\n (then you will have to relaunch "
    "'setup.exe').",
    "ATTENTION\nA more recent version of Nimbalune is already installed. If you continue this installation, you "
    "will crush it !\n Do you want to continue ?"};
inline constexpr const LanguageNames *Languages[] = {&French, &English};

} // namespace nltest

#endif
