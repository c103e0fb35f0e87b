// The driver's checks that can be taken in-process: which colour question a
// display gets, and how the setup finds and enters its own folder.
#include "setup/setup_driver.h"
#include "setup/path_text.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "driver/answerer.h"
#include "support/saved_settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ColourDepth, PaletteAndFewerColoursAreAskedAbout)
{
    EXPECT_EQ(ColourWarningFor(1), LowColourWarning);
    EXPECT_EQ(ColourWarningFor(4), LowColourWarning);    // 16 colours
    EXPECT_EQ(ColourWarningFor(7), LowColourWarning);
    EXPECT_EQ(ColourWarningFor(8), PaletteColourWarning);
    EXPECT_EQ(ColourWarningFor(15), 0);
    EXPECT_EQ(ColourWarningFor(16), 0);
    EXPECT_EQ(ColourWarningFor(24), 0);
    EXPECT_EQ(ColourWarningFor(32), 0);
}

class SourceFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        language.Set("fra");
        InitMessageCatalogue();
    }
    void TearDown() override { ResetProgramState(); }

    nltest::SavedLanguageSetting language;
    nltest::SavedCurrentDirectory before;
};

TEST_F(SourceFolder, ProgramFolderBecomesCurrentWhateverTheStartDirectory)
{
    nltest::TempDir elsewhere("elsewhere");
    SetCurrentDirectoryA(elsewhere.path().c_str());
    setupContext.instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(LocateSourceFolder(), 1);
    EXPECT_EQ(lstrcmpiA(nltest::CurrentDirectory().c_str(), nltest::ProgramDirectory().c_str()), 0)
        << nltest::CurrentDirectory();
    SetCurrentDirectoryA(before.path().c_str());
}

TEST_F(SourceFolder, ProgramAtTheRootOfADriveEntersThatDrive)
{
    SetCurrentDirectoryA(nltest::ProgramDirectory().c_str());
    char path[] = "c:\\setup.exe";
    CutLastName(path);
    EXPECT_EQ(EnterSourceFolder(path), 1);
    EXPECT_STREQ(path, "C:");
    std::string current = nltest::CurrentDirectory();
    EXPECT_EQ(current.substr(0, 3), "C:\\") << current;
}

TEST_F(SourceFolder, NetworkPathIsInternalError3)
{
    for (int language : {LanguageFrench, LanguageEnglish}) {
        SCOPED_TRACE(language);
        setupContext.language = language;
        char path[] = "\\\\server\\share";
        nldriver::BoxAnswerer answerer(IDOK);
        EXPECT_EQ(EnterSourceFolder(path), 0);
        nldriver::MessageBoxInfo box = answerer.Finish();
        ASSERT_NE(box.handle, nullptr);
        EXPECT_EQ(box.caption, MessageText(SetupCaption));
        EXPECT_EQ(box.text, MessageText(InternalError3));
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(nltest::CurrentDirectory(), before.path());
    }
}

TEST_F(SourceFolder, UnknownProgramPathIsInternalError2)
{
    setupContext.instance = (HINSTANCE)(UINT_PTR)0x5A5A0000;   // no such module
    nldriver::BoxAnswerer answerer(IDOK);
    EXPECT_EQ(LocateSourceFolder(), 0);
    nldriver::MessageBoxInfo box = answerer.Finish();
    ASSERT_NE(box.handle, nullptr);
    EXPECT_EQ(box.text, "Erreur interne 0002");
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(nltest::CurrentDirectory(), before.path());
}

} // namespace
