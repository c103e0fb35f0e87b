// The colour-depth question, on a 256-colour and a 65536-colour screen.
// wine-screens: 1024x768x8 1024x768x16
#include "start_up.h"
#include "support/shell_support.h"

namespace {

using namespace startup;

const char *const PaletteTexts[] = {
    u8"Votre carte vidéo est actuellement configurée en 256 couleurs.\nNimbalune fonctionne bien mieux "
    u8"en 65536 couleurs (16 bits).\nVoulez-vous arreter le 'setup' pour changer de mode vidéo ?\n (il "
    u8"faudra relancer 'setup.exe' ensuite).",
    "Your video adapter is currently configured for 256 colors.\nNimbalune works much better with "
    "65536 colors (16 bits).\nDo you want to stop the 'setup' to change the video mode ?\n (then you "
    "will have to relaunch 'setup.exe')."};

class ColourDepth : public StartUp {
protected:
    // The names in the medium's folder, to see that nothing was touched.
    std::set<std::string> Listing() { return nltest::DirectoryEntries(medium.folder()); }
};

TEST_F(ColourDepth, PaletteScreenIsAskedAboutAndYesStops)
{
    if (ScreenName() != "1024x768x8")
        GTEST_SKIP() << "a 256-colour screen only";
    InstallNewerVersion();
    std::set<std::string> before = Listing();

    for (int chosen : {French, English}) {
        SCOPED_TRACE(chosen == French ? "French" : "English");
        StartAndChoose(chosen == French ? "fra" : "enu", IDYES);
        MessageBoxInfo box = WaitForMessageBox(process.id);
        ASSERT_NE(box.handle, nullptr);
        EXPECT_EQ(box.caption, Captions[chosen]);
        EXPECT_EQ(box.text, nltest::Cp1252(PaletteTexts[chosen]));
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.defaultButton, IDYES);
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(box.owner, window);
        if (chosen == English)
            Screenshot("palette-question");
        // Yes ends the process at once, before the newer-version question.
        Answer(box, IDYES);
        EXPECT_EQ(WaitForExit(process), 0);
        EXPECT_EQ(Listing(), before);
        Close(process);
        CloseWindowsOfClass(ViewerClass);
    }

    StartAndChoose("enu", IDYES);
    MessageBoxInfo box = WaitForMessageBox(process.id);
    ASSERT_EQ(box.text, PaletteTexts[English]);
    Answer(box, IDNO);
    ExpectNewerVersionQuestion(English);
}

TEST_F(ColourDepth, SixteenBitScreenIsNotAskedAbout)
{
    if (ScreenName() != "1024x768x16")
        GTEST_SKIP() << "a 16-bit screen only";
    InstallNewerVersion();
    StartAndChoose("enu", IDYES);
    ExpectNewerVersionQuestion(English);
}

} // namespace
