// The first things setup.exe does: close a running copy of the product, then
// ask which language to use and keep to the answer.
#include "start_up.h"

namespace {

using namespace startup;

const char *const Questions[] = {
    u8"Voulez-vous utiliser la langue française ? (sinon anglaise)\n\n"
    u8"Do you want to use french language ? (otherwise english language)",
    u8"Do you want to use english language ? (otherwise french language)\n\n"
    u8"Voulez-vous utiliser la langue anglaise ? (sinon française)"};

struct LanguageCase {
    const char *setting;    // [Intl] sLanguage; null when absent
    int answer;
    int proposed;
    int chosen;
};

class LanguageQuestion : public StartUp {};

TEST_F(LanguageQuestion, ProposalFromTheRegionalSettingConfirmedOrSwitched)
{
    const LanguageCase cases[] = {
        {"fra", IDYES, French, French},  {"fra", IDNO, French, English},  {"FRA", IDYES, French, French},
        {"enu", IDYES, English, English}, {"enu", IDNO, English, French}, {"deu", IDYES, English, English},
        {nullptr, IDYES, English, English}, {"frc", IDYES, English, English},
    };
    InstallNewerVersion();
    for (const LanguageCase &c : cases) {
        SCOPED_TRACE(std::string("sLanguage ") + (c.setting ? c.setting : "(absent)") +
                     (c.answer == IDYES ? ", Yes" : ", No"));
        if (c.setting)
            language.Set(c.setting);
        else
            language.Remove();
        process = medium.Launch();
        window = SetupWindow(process);
        ASSERT_NE(window, nullptr);
        MessageBoxInfo question = WaitForMessageBox(process.id);
        ASSERT_NE(question.handle, nullptr);
        EXPECT_EQ(question.caption, Captions[c.proposed]);
        EXPECT_EQ(question.text, nltest::Cp1252(Questions[c.proposed]));
        EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(question.defaultButton, IDYES);
        EXPECT_TRUE(question.hasIcon);
        EXPECT_EQ(question.owner, window);
        if (&c == &cases[0])
            Screenshot("language-question");
        Answer(question, c.answer);

        // Every later text is in the chosen language.
        ExpectNewerVersionQuestion(c.chosen);
        EXPECT_EQ(nltest::GetProfile(nltest::ProductSection, nltest::LanguageKey), c.chosen == French ? "0" : "1");
        Close(process);
        CloseWindowsOfClass(ViewerClass);
    }
}

TEST_F(LanguageQuestion, RunningCopyIsSentWmDestroyFirst)
{
    nltest::TempDir dir("product");
    std::string ini = dir / "nimbalun.ini";
    std::string marker = dir / "destroyed.txt";
    std::string standIn = nltest::JoinPath(nltest::ProgramDirectory(), "product_standin.exe");
    Process product = Launch("\"" + standIn + "\" \"" + ini + "\" \"" + marker + "\"");
    ASSERT_NE(product.handle, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetPrivateProfileIntA("", "Current hwnd", 65535, ini.c_str()) != 65535; }));
    WriteProfileStringA(nltest::ProductSection, nltest::IniFileKey, ini.c_str());

    language.Set("enu");
    process = medium.Launch();
    ASSERT_NE(process.handle, nullptr);
    MessageBoxInfo question = WaitForMessageBox(process.id);
    ASSERT_NE(question.handle, nullptr);
    // The product's window procedure ran before the question was asked.
    EXPECT_EQ(nltest::ReadFileText(marker), "WM_DESTROY\n");
    EXPECT_EQ(WaitForExit(product), 0);
    Close(product);
}

} // namespace
