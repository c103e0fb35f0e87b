// wine-fixture: drives
// The destination panel on a real window with real drives: the text, the
// drive lines with their free space, the preselection and the chosen drive.
#include "destination/destination_panel.h"
#include "setup/main_window.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "support/test_support.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class DestinationPanel : public nltest::SetupWindowTest {
protected:
    DestinationPanel() : SetupWindowTest("DestinationPanelTest", 700, 300) {}

    void SetUp() override
    {
        SetupWindowTest::SetUp();
        nltest::SetProfile("Intl", "sLanguage", "enu");
        InitMessageCatalogue();
        previousDirectory = nltest::GetProfile(ProductSection, DirectoryKey);
        nltest::SetProfile(ProductSection, DirectoryKey, nullptr);
        setupContext.dialogBaseUnitX = 8;
        setupContext.dialogBaseUnitY = 16;
        SetForegroundWindow(window);
    }

    void TearDown() override
    {
        CloseDestinationPanel();
        SetupWindowTest::TearDown();
        nltest::SetProfile(ProductSection, DirectoryKey, previousDirectory.empty() ? nullptr : previousDirectory.c_str());
    }

    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        HWND list = GetDlgItem(window, 100);
        LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[256] = {};
            SendMessageA(list, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
            lines.push_back(text);
        }
        return lines;
    }

    std::string Selected()
    {
        HWND list = GetDlgItem(window, 100);
        LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR)
            return "";
        char text[256] = {};
        SendMessageA(list, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
        return text;
    }

    static std::string LineOf(const std::vector<std::string> &lines, char letter)
    {
        for (const std::string &line : lines)
            if (!line.empty() && line[0] == letter)
                return line;
        return "";
    }

    static RECT ChildRect(HWND parent, int id)
    {
        RECT rect;
        GetWindowRect(GetDlgItem(parent, id), &rect);
        MapWindowPoints(nullptr, parent, (POINT *)&rect, 2);
        return rect;
    }

    static std::string TextOf(HWND control)
    {
        char text[1024] = {};
        GetWindowTextA(control, text, sizeof text);
        return text;
    }

    std::string previousDirectory;
};

TEST_F(DestinationPanel, FirstRunListsFixedDisksWithTheirFreeSpace)
{
    CreateDestinationPanel('C', 1);
    EXPECT_EQ(TextOf(GetDlgItem(window, 101)),
              "Please choose a disk with more than 35 Mb free for Nimbalune");
    EXPECT_EQ(TextOf(GetDlgItem(window, 102)), "Start installation");

    std::vector<std::string> lines = Lines();
    // Letter order, fixed disks only: the CD-ROM R: is not listed.
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_LT(lines[i - 1][0], lines[i][0]);
    EXPECT_EQ(LineOf(lines, 'R'), "");
    EXPECT_EQ(LineOf(lines, 'E'), "E= Disk E: 35 Mb free ");
    EXPECT_EQ(LineOf(lines, 'F'), "F= Disk F: 36 Mb free OK");

    // C: is far larger than 4 GB here: the count must not wrap.
    ULARGE_INTEGER freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &freeBytes, nullptr, nullptr));
    std::string c = LineOf(lines, 'C');
    ASSERT_EQ(c.substr(0, 11), "C= Disk C: ");
    long long megabytes = (long long)(freeBytes.QuadPart / 1048576);
    ASSERT_GT(megabytes, 4096);
    EXPECT_NEAR(std::stoll(c.substr(11)), megabytes, 64);
    EXPECT_EQ(c.substr(c.size() - 11), " Mb free OK");

    EXPECT_EQ(Selected(), c);
    EXPECT_EQ(GetFocus(), GetDlgItem(window, 100));
}

TEST_F(DestinationPanel, APreviousInstallationIsNamedAsWrittenAndItsDrivePreselected)
{
    nltest::SetProfile(ProductSection, DirectoryKey, "d:\\NimbaLun");
    CreateDestinationPanel('D', 0);
    EXPECT_EQ(TextOf(GetDlgItem(window, 101)),
              std::string(MessageText(AlreadyInstalledPrefix)) + "d:\\NimbaLun" + MessageText(AlreadyInstalledSuffix));
    EXPECT_EQ(Selected().substr(0, 3), "D= ");

    // French texts.
    CloseDestinationPanel();
    setupContext.language = LanguageFrench;
    CreateDestinationPanel('D', 0);
    EXPECT_EQ(TextOf(GetDlgItem(window, 102)), "Commencer l'installation");
    EXPECT_EQ(Selected().substr(0, 12), "D= Disque D:");
    EXPECT_NE(Selected().find(" Mo libres "), std::string::npos);
}

TEST_F(DestinationPanel, ClosingTakesTheChosenDriveAndRemovesTheControls)
{
    CreateDestinationPanel('C', 1);
    HWND list = GetDlgItem(window, 100);
    std::vector<std::string> lines = Lines();
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i][0] == 'D')
            SendMessageA(list, CB_SETCURSEL, (WPARAM)i, 0);
    CloseDestinationPanel();
    EXPECT_EQ(setupContext.selectedDrive, 'D');
    EXPECT_EQ(GetDlgItem(window, 100), nullptr);
    EXPECT_EQ(GetDlgItem(window, 101), nullptr);
    EXPECT_EQ(GetDlgItem(window, 102), nullptr);
    // A second close changes nothing.
    setupContext.selectedDrive = 'Q';
    CloseDestinationPanel();
    EXPECT_EQ(setupContext.selectedDrive, 'Q');
}

TEST_F(DestinationPanel, WithNoLineSelectedTheInitialDriveStays)
{
    CreateDestinationPanel('R', 0);   // a CD-ROM: never listed, so nothing is selected
    EXPECT_EQ(Selected(), "");
    CloseDestinationPanel();
    EXPECT_EQ(setupContext.selectedDrive, 'R');
}

TEST_F(DestinationPanel, ControlsAreScaledByTheDialogBaseUnits)
{
    setupContext.dialogBaseUnitX = 6;
    setupContext.dialogBaseUnitY = 13;
    CreateDestinationPanel('C', 1);
    RECT text = ChildRect(window, 101);
    EXPECT_EQ(text.left, 20 * 6 / 8);
    EXPECT_EQ(text.top, 50 * 13 / 16);
    EXPECT_EQ(text.right - text.left, 620 * 6 / 8);
    EXPECT_EQ(text.bottom - text.top, 50 * 13 / 16);
    RECT button = ChildRect(window, 102);
    EXPECT_EQ(button.left, 420 * 6 / 8);
    EXPECT_EQ(button.top, 20 * 13 / 16);
    EXPECT_EQ(button.right - button.left, 200 * 6 / 8);
    RECT list = ChildRect(window, 100);
    EXPECT_EQ(list.left, 80 * 6 / 8);
    EXPECT_EQ(list.right - list.left, 320 * 6 / 8);
}

} // namespace
