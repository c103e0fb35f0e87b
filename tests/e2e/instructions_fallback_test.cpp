// Where the instructions come from when the HTML edition cannot be shown,
// and the cases where the viewer's window is special or nothing starts.
#include "start_up.h"

namespace {

using namespace startup;

const char *const FallbackTexts[] = {
    u8"La notice de Nimbalune est au format HTML.\n\nActuellement vous n'avez pas de logiciel capable "
    u8"d'afficher ce type de document.\nC'est pourquoi Nimbalune va afficher une liste de fichiers de "
    u8"notice au format RTF. Vous pourrez alors double-cliquer sur n'importe lequel de ces fichiers, "
    u8"veuillez commencer par NimbaLun.rtf\n\nLa notice HTML est bien plus pratique. You pouvez "
    u8"l'afficher avec n'importe quel navigateur internet, ou même avec certains logiciels de "
    u8"traitement de textes. Vous pouvez installer un navigateur internet MEME SI VOUS N'UTILISEZ PAS "
    u8"DE CONNECTION INTERNET. Netscape Navigator et Internet Explorer sont gratuits à l'heure "
    u8"actuelle (mars 1998). Vous les trouverez dans certains CDROM livrés avec des revues traitant "
    u8"d'ordinateurs. Ces logiciels sont généralement livrés avec les kits de connection à internet "
    u8"(AOL, Compuserve, Wanadoo par exemple).",
    "The instructions of Nimbalune are in HTML format.\n\nCurrently you do not have any software to "
    "display this type of document.\nSo Nimbalune will give you a list of instructions files in RTF "
    "format.You can double-click on any of these files, please begin with NimbaLun.rtf\n\nThe HTML "
    "instructions are much more easy to use. You can display them with any internet browser, or even "
    "some word processors. You can install an internet browser EVEN IF YOU DO NOT USE AN INTERNET "
    "CONNEXION. Netscape Navigator and Internet Explorer are free at this time (march 1998). You can "
    "find them on some computer magazines' CDROM. These softwares are usually given with the internet "
    "kits (AOL, Compuserve as example)."};
const char *const RtfFolderNames[] = {"francais.rtf", "english.rtf"};

bool AnyWindowOfClass(const std::string &className)
{
    for (const WindowInfo &w : TopWindows(0))
        if (w.className == className)
            return true;
    return false;
}

HWND WaitForClass(const std::string &className, const std::string &title = "")
{
    return WaitForWindow(0, [&](const WindowInfo &w) {
        return w.className == className && (title.empty() || w.title == title);
    });
}

class InstructionsFallback : public StartUp {};

TEST_F(InstructionsFallback, NoHtmlProgramExplainsThenOpensTheRtfFolder)
{
    viewer.Remove();
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    for (int chosen : {French, English}) {
        SCOPED_TRACE(RtfFolderNames[chosen]);
        StartAndChoose(chosen == French ? "fra" : "enu", IDYES);
        MessageBoxInfo box = WaitForMessageBox(process.id);
        ASSERT_NE(box.handle, nullptr);
        EXPECT_EQ(box.caption, "Nimbalune-Instructions");
        EXPECT_EQ(box.text, nltest::Cp1252(FallbackTexts[chosen]));
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(box.owner, window);
        EXPECT_FALSE(AnyWindowOfClass(ExplorerClass)) << "Explorer opened before the message was read";
        if (chosen == French)
            Screenshot("instructions-fallback-message");
        Answer(box, IDOK);

        // Explorer shows the RTF folder below Files.ins, and is arranged
        // like any viewer.
        HWND explorer = WaitForClass(ExplorerClass, RtfFolderNames[chosen]);
        ASSERT_NE(explorer, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return HasRect(explorer, 0, 0, w, 2 * h / 3); }));
        EXPECT_TRUE(HasRect(window, 0, 2 * h / 3, w, h / 3));
        ExpectNoFurtherQuestion();
        Close(process);
        CloseWindowsOfClass(ExplorerClass);
    }
}

// A medium without one part of the usual layout.
template <bool DistributionLayout::*Part>
class Without : public StartUp {
protected:
    Without() : StartUp(Layout()) {}
    static DistributionLayout Layout()
    {
        DistributionLayout layout;
        layout.*Part = false;
        return layout;
    }
};
using MissingDocument = Without<&DistributionLayout::html>;

TEST_F(MissingDocument, OpensTheRtfFolderWithoutAMessage)
{
    InstallNewerVersion();
    StartAndChoose("enu", IDYES);
    // The first box after the language question is the newer-version one.
    HWND explorer = WaitForClass(ExplorerClass, "english.rtf");
    EXPECT_NE(explorer, nullptr);
    ExpectNewerVersionQuestion(English);
}

using NoFilesIns = Without<&DistributionLayout::filesIns>;

TEST_F(NoFilesIns, DocumentIsTakenBesideTheSetup)
{
    StartAndChoose("enu", IDNO);
    HWND viewerWindow = WaitForClass(ViewerClass);
    ASSERT_NE(viewerWindow, nullptr);
    std::string title = Describe(viewerWindow).title;
    EXPECT_EQ(lstrcmpiA(title.c_str(), ("NLTestViewer " + medium.HtmlDocument(French)).c_str()), 0) << title;
    ExpectNoFurtherQuestion();
}

TEST_F(InstructionsFallback, ViewerWithAnOwnedWindowIsMovedByItsOwner)
{
    viewer.UseTestViewer(true);
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    StartAndChoose("enu", IDYES);
    HWND owned = WaitForClass("NLTestViewerOwned");
    ASSERT_NE(owned, nullptr);
    HWND owner = Describe(owned).owner;
    ASSERT_NE(owner, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return HasRect(owner, 0, 0, w, 2 * h / 3); }));
    EXPECT_TRUE(HasRect(owned, 300, 250, 200, 100));
    ExpectNoFurtherQuestion();
}

// A medium whose folder is so deep that the instruction paths cannot be
// composed in 260 characters.
class DeepMedium : public StartUp {
protected:
    DeepMedium() : StartUp(Layout()) {}
    static DistributionLayout Layout()
    {
        static nltest::TempDir base("deep");
        std::string parent = base.path();
        const size_t mediumLength = 224;     // with "\medium" at the end
        while (parent.size() + 7 < mediumLength) {
            size_t room = mediumLength - 7 - parent.size() - 1;
            parent += "\\" + std::string(room < 100 ? room : 100, 'p');
        }
        DistributionLayout layout;
        layout.parent = parent;
        return layout;
    }
};

TEST_F(DeepMedium, NothingStartsAndTheSetupWindowStaysInPlace)
{
    ASSERT_EQ(medium.folder().size(), 224u);
    InstallNewerVersion();
    StartAndChoose("enu", IDYES);
    MessageBoxInfo box = WaitForMessageBox(process.id);
    ASSERT_EQ(box.text, nltest::Cp1252(NewerVersionTexts[English]));
    LONG units = GetDialogBaseUnits();
    EXPECT_TRUE(HasRect(window, 0, 0, LOWORD(units) * 512 / 8, HIWORD(units) * 360 / 16));
    EXPECT_FALSE(AnyWindowOfClass(ViewerClass));
    EXPECT_FALSE(AnyWindowOfClass(ExplorerClass));
    Answer(box, IDNO);
    EXPECT_EQ(WaitForExit(process), 1);
}

} // namespace
