// Shared by the end-to-end tests of the start-up conversation: a medium with
// the test viewer associated, the win.ini values the setup reads and writes
// (put back afterwards), and the texts the tests expect.
#ifndef NIMBALUNE_E2E_START_UP_H
#define NIMBALUNE_E2E_START_UP_H

#include "driver/distribution.h"
#include "driver/driver.h"
#include "support/saved_settings.h"
#include "support/test_support.h"
#include "support/version_resource.h"
#include "support/product_names.h"

#include <gtest/gtest.h>

namespace startup {

using namespace nldriver;

const char *const Captions[] = {nltest::French.caption, nltest::English.caption};

const char *const NewerVersionTexts[] = {
    u8"ATTENTION\nUne version plus récente de Nimbalune est actuellement installée. En continuant cette "
    u8"installation, vous allez l'écraser !\n Voulez-vous continuer ?",
    "ATTENTION\nA more recent version of Nimbalune is already installed. If you continue this "
    "installation, you will crush it !\n Do you want to continue ?"};

class StartUp : public ::testing::Test {
protected:
    explicit StartUp(const DistributionLayout &layout = DistributionLayout()) : medium(layout) {}

    void SetUp() override
    {
        for (const char *key : {nltest::IniFileKey, nltest::ProgramKey, nltest::DirectoryKey})
            product.emplace_back(new nltest::SavedProfileValue(nltest::ProductSection, key));
        for (auto &value : product)
            value->Remove();
        viewer.UseTestViewer();
    }
    void TearDown() override
    {
        Close(process);
        CloseWindowsOfClass(ViewerClass);
        CloseWindowsOfClass(ExplorerClass);
    }

    // Names an installed program of version 2.0 in win.ini, so that the
    // newer-version question closes the start-up checks.
    void InstallNewerVersion()
    {
        std::string path = nltest::JoinPath(medium.folder(), "installed.exe");
        ASSERT_TRUE(nltest::WriteVersionedProgram(path, 2, 0, 0, 0));
        SetProgram(path);
    }
    void SetProgram(const std::string &path) { WriteProfileStringA(nltest::ProductSection, nltest::ProgramKey, path.c_str()); }

    // Starts the setup and answers the language question, proposing
    // English ("enu") or French ("fra").
    void StartAndChoose(const char *setting, int answer, const std::string &directory = "")
    {
        language.Set(setting);
        process = medium.Launch(directory);
        ASSERT_NE(process.handle, nullptr);
        window = SetupWindow(process);
        ASSERT_NE(window, nullptr);
        MessageBoxInfo question = WaitForMessageBox(process.id);
        ASSERT_NE(question.handle, nullptr) << "no language question";
        Answer(question, answer);
    }

    // The next message box, which must be the newer-version question in
    // this language.
    void ExpectNewerVersionQuestion(int inLanguage)
    {
        MessageBoxInfo box = WaitForMessageBox(process.id);
        ASSERT_NE(box.handle, nullptr) << "no newer-version question";
        EXPECT_EQ(box.caption, Captions[inLanguage]);
        EXPECT_EQ(box.text, nltest::Cp1252(NewerVersionTexts[inLanguage]));
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(box.defaultButton, IDNO);
        EXPECT_EQ(box.owner, window);
        Answer(box, IDNO);
        EXPECT_EQ(WaitForExit(process), 1);
    }

    // With no question left, Escape ends the message loop; a message box
    // that came instead would keep the setup from ending.
    void ExpectNoFurtherQuestion()
    {
        TypeChar(window, 27);
        int code = WaitForExit(process);
        if (code == -1) {
            MessageBoxInfo box = WaitForMessageBox(process.id, 100);
            ADD_FAILURE() << "setup still running; message box: \"" << box.text << "\"";
            return;
        }
        EXPECT_EQ(code, 1);
    }

    nltest::SavedLanguageSetting language;
    nltest::SavedProfileValue chosen{nltest::ProductSection, nltest::LanguageKey};
    std::vector<std::unique_ptr<nltest::SavedProfileValue>> product;
    HtmlAssociation viewer;
    Distribution medium;
    Process process;
    HWND window = nullptr;
};

} // namespace startup

#endif
