// The first things setup.exe does: close a running copy of the product, then
// ask which language to use and keep to the answer.
#include "start_up.h"

namespace {

using namespace startup;

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
        MessageBoxInfo question;
        ASSERT_NO_FATAL_FAILURE(Start(c.setting, question));
        ASSERT_NO_FATAL_FAILURE(ExpectBox(question, Captions[c.proposed], nltest::Languages[c.proposed]->languageQuestion, IDYES));
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

    MessageBoxInfo question;
    ASSERT_NO_FATAL_FAILURE(Start("enu", question));
    // The product's window procedure ran before the question was asked.
    EXPECT_EQ(nltest::ReadFileText(marker), "WM_DESTROY\n");
    EXPECT_EQ(WaitForExit(product), 0);
    Close(product);
}

} // namespace
