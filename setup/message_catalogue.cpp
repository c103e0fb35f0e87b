// The bilingual message catalogue and the choice of language. The texts are
// written in UTF-8 here and compiled to Windows-1252 bytes.
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"

namespace {

struct CatalogueEntry {
    int id;
    const char *french;
    const char *english;
};

const CatalogueEntry CatalogueTexts[] = {
    {ControlPanelLinkName, "\\Panneau de contrôle de Nimbalune.lnk", "\\Control panel of Nimbalune.lnk"},
    {InternalError2, "Erreur interne 0002", "Internal error 0002"},
    {InternalError3, "Erreur interne 0003", "Internal error 0003"},
    {AlreadyInstalledPrefix, "Nimbalune a déjà été installé une fois dans le répertoire \"",
     "Nimbalune has been already installed in the directory once \""},
    {AlreadyInstalledSuffix,
     "\".\n Voulez-vous l'installer de nouveau sur ce disque ? Cela est fortement conseillé car vous "
     "garderez vos choix de sujets, de textures, vos options,etc...",
     "\".\n Do you want to install it again in that disk ? You should do it, so you can keep your "
     "choices of subjects and textures and also the options,etc..."},
    {DriveLineFormat, "%c= Disque %c: %ld Mo libres ", "%c= Disk %c: %ld Mb free "},
    {InstallDirFormat, "Répertoire d'installation:\"%s\".", "Installation directory:\"%s\"."},
    {CopyKernelHeading, "Copie le noyau de Nimbalune:\n", "Copiying the kernel of Nimbalune:\n"},
    {CopyEnglishHeading, "Copie les fichiers texte en Anglais:\n", "Copying the English text files:\n"},
    {CopyFrenchHeading, "Copie les fichiers texte en Français:\n", "Copying the French text files:\n"},
    {CopyPicturesHeading, "Copie les images et textures:\n", "Copying the pictures and textures:\n"},
    {OldWindowsWarning,
     "Nimbalune ne fonctionne pas correctement sous Windows 3.x, seulement sous Windows 95 et 98. "
     "Toutefois, voulez-vous jeter un coup d'oeil ? (à vos risques et périls)",
     "Nimbalune cannot work perfectly with Windows 3.x, it works well with Windows 95 or 98. "
     "However, you could try it. (at your own risk)"},
    {DoneNotice, "L'installation est terminée avec succès.\n", "The installation ends successfully.\n"},
    {GroupFileText, "", ""},
    {LowColourWarning,
     "Votre carte vidéo est actuellement configurée en moins de 256 couleurs.\nNimbalune ne "
     "fonctionne pas avec si peu de couleurs.\nVoulez-vous arreter le 'setup' pour changer de mode "
     "vidéo ?\n (il faudra relancer 'setup.exe' ensuite)\nDans ce cas, il est fortement conseillé de "
     "configurer en 65536 couleurs (16 bits).",
     "Your video adapter is currently configured for less than 256 colors.\nNimbalune does not work "
     "with such poor colors.\nDo you want to stop the 'setup' to change the video mode ?\n (then you "
     "will have to relaunch 'setup.exe')\nIn that case, you are advised to configure for 65536 colors "
     "(16 bits)."},
    {PaletteColourWarning,
     "Votre carte vidéo est actuellement configurée en 256 couleurs.\nNimbalune fonctionne bien mieux "
     "en 65536 couleurs (16 bits).\nVoulez-vous arreter le 'setup' pour changer de mode vidéo ?\n (il "
     "faudra relancer 'setup.exe' ensuite).",
     "Your video adapter is currently configured for 256 colors.\nNimbalune works much better with "
     "65536 colors (16 bits).\nDo you want to stop the 'setup' to change the video mode ?\n (then you "
     "will have to relaunch 'setup.exe')."},
    {NewerVersionWarning,
     "ATTENTION\nUne version plus récente de Nimbalune est actuellement installée. En continuant cette "
     "installation, vous allez l'écraser !\n Voulez-vous continuer ?",
     "ATTENTION\nA more recent version of Nimbalune is already installed. If you continue this "
     "installation, you will crush it !\n Do you want to continue ?"},
    {NeedFreeSpaceFormat, "Veuillez choisir un disque ayant plus de %d Mo libres pour Nimbalune",
     "Please choose a disk with more than %d Mb free for Nimbalune"},
    {StartInstallButton, "Commencer l'installation", "Start installation"},
    {StartProgramLinkName, "\\Démarrer Nimbalune.lnk", "\\Starting Nimbalune.lnk"},
    {UninstallLinkName, "\\Désinstaller Nimbalune.lnk", "\\Uninstalling Nimbalune.lnk"},
    {InstructionsLinkName, "\\Notice et aide de Nimbalune.lnk", "\\Instructions and help for Nimbalune.lnk"},
    {ReadmeProgramName, "\\lisezmoi.exe", "\\readme.exe"},
    {SetupCaption, "Installation de Nimbalune", "Installation of Nimbalune"},
    {IncompleteInstallFormat, "L'installation est incomplète : %d fichier(s) n'ont pas pu être copiés.",
     "The installation is incomplete: %d file(s) could not be copied."},
};

const int LanguageCount = 2;
const int LanguageSettingSize = 4;   // three letters and the terminator

const char *catalogue[MessageCount][LanguageCount];
int catalogueReady;

} // namespace

const char LanguageQuestionFrench[] =
    "Voulez-vous utiliser la langue française ? (sinon anglaise)\n\n"
    "Do you want to use french language ? (otherwise english language)";
const char LanguageQuestionEnglish[] =
    "Do you want to use english language ? (otherwise french language)\n\n"
    "Voulez-vous utiliser la langue anglaise ? (sinon française)";

int ProposedLanguage()
{
    // Only the first three letters of the regional setting take part.
    char setting[LanguageSettingSize];
    if (GetProfileStringA("Intl", "sLanguage", "eng", setting, LanguageSettingSize) == 0)
        return LanguageEnglish;
    return lstrcmpiA(setting, "fra") == 0 ? LanguageFrench : LanguageEnglish;
}

const char *MessageTextIn(int id, int language)
{
    for (const CatalogueEntry &entry : CatalogueTexts)
        if (entry.id == id)
            return language == LanguageEnglish ? entry.english : entry.french;
    return "";
}

void InitMessageCatalogue()
{
    if (catalogueReady)
        return;

    setupContext.language = ProposedLanguage();

    for (int id = 0; id < MessageCount; ++id)
        for (int language = 0; language < LanguageCount; ++language)
            catalogue[id][language] = "";
    for (const CatalogueEntry &entry : CatalogueTexts) {
        catalogue[entry.id][LanguageFrench] = entry.french;
        catalogue[entry.id][LanguageEnglish] = entry.english;
    }
    catalogueReady = 1;
}

const char *MessageText(int id)
{
    if (id < 0 || id >= MessageCount || !catalogueReady)
        return "";
    int language = setupContext.language == LanguageEnglish ? LanguageEnglish : LanguageFrench;
    const char *text = catalogue[id][language];
    return text ? text : "";
}

int AskText(const char *text, const char *caption, UINT style)
{
    return MessageBoxA(setupContext.mainWindow, text, caption, style);
}

int Ask(int id, UINT style)
{
    return AskText(MessageText(id), MessageText(SetupCaption), style);
}

void ChooseLanguage()
{
    int proposed = setupContext.language;
    const char *question = proposed == LanguageFrench ? LanguageQuestionFrench : LanguageQuestionEnglish;
    int answer = AskText(question, MessageText(SetupCaption), MB_ICONQUESTION | MB_YESNO);
    setupContext.language = answer == IDYES ? proposed : 1 - proposed;
    WriteProfileStringA(ProductSection, LanguageKey, setupContext.language == LanguageFrench ? "0" : "1");
}

void ResetMessageCatalogue()
{
    catalogueReady = 0;
}
