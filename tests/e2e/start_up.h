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

    // Starts the setup with this regional setting (null: absent) and waits
    // for its window and the language question.
    void Start(const char *setting, MessageBoxInfo &question, const std::string &directory = "")
    {
        language.SetOrRemove(setting);
        process = medium.Launch(directory);
        ASSERT_NE(process.handle, nullptr) << "cannot start " << medium.SetupPath();
        window = SetupWindow(process);
        ASSERT_NE(window, nullptr);
        question = WaitForMessageBox(process.id);
        ASSERT_NE(question.handle, nullptr) << "no language question";
    }

    // Starts the setup and answers the language question, proposing
    // English ("enu") or French ("fra").
    void StartAndChoose(const char *setting, int answer, const std::string &directory = "")
    {
        MessageBoxInfo question;
        ASSERT_NO_FATAL_FAILURE(Start(setting, question, directory));
        Answer(question, answer);
    }

    // All a person sees of a message box: caption, text (UTF-8 here),
    // buttons, default button, icon, and the setup window as its owner.
    void ExpectBox(const MessageBoxInfo &box, const std::string &caption, const char *text, int defaultButton,
                   const std::vector<int> &buttons = {IDYES, IDNO})
    {
        ASSERT_NE(box.handle, nullptr) << "no box: " << text;
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.text, nltest::Cp1252(text));
        EXPECT_EQ(box.buttons, buttons);
        EXPECT_EQ(box.defaultButton, defaultButton);
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(box.owner, window);
    }

    // The next message box, which must be the newer-version question in
    // this language.
    void ExpectNewerVersionQuestion(int inLanguage)
    {
        MessageBoxInfo box = WaitForMessageBox(process.id);
        ASSERT_NO_FATAL_FAILURE(ExpectBox(box, Captions[inLanguage], nltest::Languages[inLanguage]->newerVersion, IDNO));
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
