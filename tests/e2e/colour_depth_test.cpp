// The colour-depth question, on a 256-colour and a 65536-colour screen.
// wine-screens: 1024x768x8 1024x768x16
#include "start_up.h"
#include "support/shell_support.h"

namespace {

using namespace startup;

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
        ASSERT_NO_FATAL_FAILURE(ExpectBox(box, Captions[chosen], nltest::Languages[chosen]->palette, IDYES));
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
    ASSERT_EQ(box.text, nltest::English.palette);
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
