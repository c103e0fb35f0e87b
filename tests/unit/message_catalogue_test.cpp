// The bilingual message catalogue and the choice of language, in-process.
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "driver/answerer.h"
#include "support/saved_settings.h"
#include "support/test_support.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using nltest::Cp1252;

struct Entry {
    int number;
    MessageId id;
    const char *french;     // UTF-8 here, Windows-1252 in the program
    const char *english;
};

const Entry Entries[] = {
    {1, ControlPanelLinkName,
     u8"\\Panneau de contrôle de Nimbalune.lnk",
     u8"\\Control panel of Nimbalune.lnk"},
    {3, InternalError2,
     u8"Erreur interne 0002",
     u8"Internal error 0002"},
    {4, InternalError3,
     u8"Erreur interne 0003",
     u8"Internal error 0003"},
    {5, AlreadyInstalledPrefix,
     u8"Nimbalune a déjà été installé une fois dans le répertoire \"",
     u8"Nimbalune has been already installed in the directory once \""},
    {6, AlreadyInstalledSuffix,
     u8"\".\n Voulez-vous l'installer de nouveau sur ce disque ? Cela est fortement conseillé car vous garderez vos choix de sujets, de textures, vos options,etc...",
     u8"\".\n Do you want to install it again in that disk ? You should do it, so you can keep your choices of subjects and textures and also the options,etc..."},
    {7, DriveLineFormat,
     u8"%c= Disque %c: %ld Mo libres ",
     u8"%c= Disk %c: %ld Mb free "},
    {9, InstallDirFormat,
     u8"Répertoire d'installation:\"%s\".",
     u8"Installation directory:\"%s\"."},
    {11, CopyKernelHeading,
     u8"Copie le noyau de Nimbalune:\n",
     u8"Copiying the kernel of Nimbalune:\n"},
    {12, CopyEnglishHeading,
     u8"Copie les fichiers texte en Anglais:\n",
     u8"Copying the English text files:\n"},
    {13, CopyFrenchHeading,
     u8"Copie les fichiers texte en Français:\n",
     u8"Copying the French text files:\n"},
    {14, CopyPicturesHeading,
     u8"Copie les images et textures:\n",
     u8"Copying the pictures and textures:\n"},
    {15, OldWindowsWarning,
     u8"Nimbalune ne fonctionne pas correctement sous Windows 3.x, seulement sous Windows 95 et 98. Toutefois, voulez-vous jeter un coup d'oeil ? (à vos risques et périls)",
     u8"Nimbalune cannot work perfectly with Windows 3.x, it works well with Windows 95 or 98. However, you could try it. (at your own risk)"},
    {17, DoneNotice,
     u8"L'installation est terminée avec succès.\n",
     u8"The installation ends successfully.\n"},
    {19, GroupFileText,
     u8"",
     u8""},
    {20, LowColourWarning,
     u8"Votre carte vidéo est actuellement configurée en moins de 256 couleurs.\nNimbalune ne fonctionne pas avec si peu de couleurs.\nVoulez-vous arreter le 'setup' pour changer de mode vidéo ?\n (il faudra relancer 'setup.exe' ensuite)\nDans ce cas, il est fortement conseillé de configurer en 65536 couleurs (16 bits).",
     u8"Your video adapter is currently configured for less than 256 colors.\nNimbalune does not work with such poor colors.\nDo you want to stop the 'setup' to change the video mode ?\n (then you will have to relaunch 'setup.exe')\nIn that case, you are advised to configure for 65536 colors (16 bits)."},
    {21, PaletteColourWarning,
     u8"Votre carte vidéo est actuellement configurée en 256 couleurs.\nNimbalune fonctionne bien mieux en 65536 couleurs (16 bits).\nVoulez-vous arreter le 'setup' pour changer de mode vidéo ?\n (il faudra relancer 'setup.exe' ensuite).",
     u8"Your video adapter is currently configured for 256 colors.\nNimbalune works much better with 65536 colors (16 bits).\nDo you want to stop the 'setup' to change the video mode ?\n (then you will have to relaunch 'setup.exe')."},
    {22, NewerVersionWarning,
     u8"ATTENTION\nUne version plus récente de Nimbalune est actuellement installée. En continuant cette installation, vous allez l'écraser !\n Voulez-vous continuer ?",
     u8"ATTENTION\nA more recent version of Nimbalune is already installed. If you continue this installation, you will crush it !\n Do you want to continue ?"},
    {23, NeedFreeSpaceFormat,
     u8"Veuillez choisir un disque ayant plus de %d Mo libres pour Nimbalune",
     u8"Please choose a disk with more than %d Mb free for Nimbalune"},
    {24, StartInstallButton,
     u8"Commencer l'installation",
     u8"Start installation"},
    {25, StartProgramLinkName,
     u8"\\Démarrer Nimbalune.lnk",
     u8"\\Starting Nimbalune.lnk"},
    {27, UninstallLinkName,
     u8"\\Désinstaller Nimbalune.lnk",
     u8"\\Uninstalling Nimbalune.lnk"},
    {29, InstructionsLinkName,
     u8"\\Notice et aide de Nimbalune.lnk",
     u8"\\Instructions and help for Nimbalune.lnk"},
    {30, ReadmeProgramName,
     u8"\\lisezmoi.exe",
     u8"\\readme.exe"},
    {32, SetupCaption,
     u8"Installation de Nimbalune",
     u8"Installation of Nimbalune"},
    {33, IncompleteInstallFormat,
     u8"L'installation est incomplète : %d fichier(s) n'ont pas pu être copiés.",
     u8"The installation is incomplete: %d file(s) could not be copied."},
};

const char FrenchFirstQuestion[] =
    u8"Voulez-vous utiliser la langue française ? (sinon anglaise)\n\n"
    u8"Do you want to use french language ? (otherwise english language)";
const char EnglishFirstQuestion[] =
    u8"Do you want to use english language ? (otherwise french language)\n\n"
    u8"Voulez-vous utiliser la langue anglaise ? (sinon française)";

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
    }
    void TearDown() override
    {
        ResetProgramState();
    }
    // InitMessageCatalogue afresh with this regional setting (null: absent).
    int Proposal(const char *setting)
    {
        if (setting)
            language.Set(setting);
        else
            language.Remove();
        ResetProgramState();
        setupContext.language = -1;
        InitMessageCatalogue();
        return setupContext.language;
    }

    nltest::SavedLanguageSetting language;
};

TEST_F(Catalogue, EveryEntryHoldsItsTextsInWindows1252ByteForByte)
{
    InitMessageCatalogue();
    std::set<int> listed;
    for (const Entry &entry : Entries) {
        EXPECT_EQ(entry.number, (int)entry.id);
        listed.insert(entry.id);
        setupContext.language = LanguageFrench;
        EXPECT_EQ(MessageText(entry.id), Cp1252(entry.french)) << "French text of id " << entry.number;
        setupContext.language = LanguageEnglish;
        EXPECT_EQ(MessageText(entry.id), Cp1252(entry.english)) << "English text of id " << entry.number;
    }
    EXPECT_EQ(listed.size(), 25u);

    // Accented letters are single bytes: é is 233, ç 231, ô 244.
    setupContext.language = LanguageFrench;
    EXPECT_EQ((unsigned char)MessageText(InstallDirFormat)[1], 233);
    EXPECT_EQ((unsigned char)MessageText(CopyFrenchHeading)[32], 231);
    EXPECT_EQ((unsigned char)MessageText(ControlPanelLinkName)[17], 244);

    for (int id = -1; id <= MessageCount; ++id) {
        if (listed.count(id) && id != GroupFileText)
            continue;
        for (int language : {LanguageFrench, LanguageEnglish}) {
            setupContext.language = language;
            ASSERT_NE(MessageText(id), nullptr);
            EXPECT_STREQ(MessageText(id), "") << "id " << id << " language " << language;
        }
    }
}

TEST_F(Catalogue, LanguageQuestionsAreTheFixedBilingualTexts)
{
    EXPECT_EQ(LanguageQuestionFrench, Cp1252(FrenchFirstQuestion));
    EXPECT_EQ(LanguageQuestionEnglish, Cp1252(EnglishFirstQuestion));
}

TEST_F(Catalogue, ProposesFrenchOnlyForFraInAnyCase)
{
    EXPECT_EQ(Proposal("fra"), LanguageFrench);
    EXPECT_EQ(Proposal("FRA"), LanguageFrench);
    EXPECT_EQ(Proposal("Fra"), LanguageFrench);
    EXPECT_EQ(Proposal("frabc"), LanguageFrench);   // only three letters are read
    EXPECT_EQ(Proposal("frc"), LanguageEnglish);
    EXPECT_EQ(Proposal("enu"), LanguageEnglish);
    EXPECT_EQ(Proposal("deu"), LanguageEnglish);
    EXPECT_EQ(Proposal("fr"), LanguageEnglish);
    EXPECT_EQ(Proposal(""), LanguageEnglish);
    EXPECT_EQ(Proposal(nullptr), LanguageEnglish);
}

class LanguageChoice : public Catalogue {
protected:
    void SetUp() override
    {
        Catalogue::SetUp();
        owner = nltest::MakeTestWindow("LanguageChoiceOwner", 200, 100, DefWindowProcA, "owner");
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        Catalogue::TearDown();
    }
    // Proposes from the setting, answers the question; returns the box.
    nldriver::MessageBoxInfo Choose(const char *setting, int answer)
    {
        Proposal(setting);
        setupContext.mainWindow = owner;
        nldriver::BoxAnswerer answerer(answer);
        ChooseLanguage();
        return answerer.Finish();
    }

    HWND owner = nullptr;
    nltest::SavedProfileValue written{ProductSection, LanguageKey};
};

TEST_F(LanguageChoice, SecondInitialisationKeepsTheChosenLanguage)
{
    nldriver::MessageBoxInfo box = Choose("fra", IDNO);
    EXPECT_EQ(box.owner, owner);
    EXPECT_EQ(box.caption, "Installation de Nimbalune");
    ASSERT_EQ(setupContext.language, LanguageEnglish);
    EXPECT_EQ(nltest::GetProfile(ProductSection, LanguageKey), "1");
    InitMessageCatalogue();
    EXPECT_EQ(setupContext.language, LanguageEnglish);
    EXPECT_STREQ(MessageText(InternalError3), "Internal error 0003");
}

} // namespace
