// wine-fixture: drives
// The destination panel on a real window with real drives: the text, the
// drive lines with their free space, the preselection and the chosen drive.
#include "destination/destination_panel.h"
#include "setup/main_window.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"
#include "driver/driver.h"
#include "driver/setup_person.h"
#include "support/saved_settings.h"
#include "support/test_support.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>
#include <algorithm>
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
        previousDirectory.Remove();
        setupContext.dialogBaseUnitX = 8;
        setupContext.dialogBaseUnitY = 16;
        SetForegroundWindow(window);
    }

    void TearDown() override
    {
        CloseDestinationPanel();
        SetupWindowTest::TearDown();
    }

    HWND Control(int id) const { return GetDlgItem(window, id); }
    std::vector<std::string> Lines() const { return nldriver::ComboItems(Control(DriveListId)); }
    std::string Selected() const
    {
        int index = nldriver::ComboSelection(Control(DriveListId));
        return index == CB_ERR ? "" : Lines()[index];
    }

    static std::string LineOf(const std::vector<std::string> &lines, char letter)
    {
        for (const std::string &line : lines)
            if (!line.empty() && line[0] == letter)
                return line;
        return "";
    }

    nltest::SavedProfileValue previousDirectory{ProductSection, DirectoryKey};
};

// Megabytes free on C:, which other work on the machine changes while a
// test runs.
long long FreeMegabytesOnC()
{
    ULARGE_INTEGER freeBytes = {};
    GetDiskFreeSpaceExA("C:\\", &freeBytes, nullptr, nullptr);
    return (long long)(freeBytes.QuadPart / 1048576);
}

TEST_F(DestinationPanel, FirstRunListsFixedDisksWithTheirFreeSpace)
{
    long long before = FreeMegabytesOnC();
    CreateDestinationPanel('C', 1);
    long long after = FreeMegabytesOnC();
    EXPECT_EQ(nldriver::TextOf(Control(PanelTextId)),
              "Please choose a disk with more than 35 Mb free for Nimbalune");
    EXPECT_EQ(nldriver::TextOf(Control(StartButtonId)), "Start installation");

    std::vector<std::string> lines = Lines();
    // Letter order, fixed disks only: the CD-ROM R: is not listed.
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_LT(lines[i - 1][0], lines[i][0]);
    EXPECT_EQ(LineOf(lines, 'R'), "");
    EXPECT_EQ(LineOf(lines, 'E'), "E= Disk E: 35 Mb free ");
    EXPECT_EQ(LineOf(lines, 'F'), "F= Disk F: 36 Mb free OK");

    // C: is far larger than 4 GB here: the count must not wrap. The panel
    // read it between the two looks.
    std::string c = LineOf(lines, 'C');
    ASSERT_EQ(c.substr(0, 11), "C= Disk C: ");
    ASSERT_GT(before, 4096);
    long long shown = std::stoll(c.substr(11));
    EXPECT_GE(shown, std::min(before, after) - 64);
    EXPECT_LE(shown, std::max(before, after) + 64);
    EXPECT_EQ(c.substr(c.size() - 11), " Mb free OK");

    EXPECT_EQ(Selected(), c);
    EXPECT_EQ(GetFocus(), Control(DriveListId));
}

TEST_F(DestinationPanel, APreviousInstallationIsNamedAsWrittenAndItsDrivePreselected)
{
    nltest::SetProfile(ProductSection, DirectoryKey, "d:\\NimbaLun");
    CreateDestinationPanel('D', 0);
    EXPECT_EQ(nldriver::TextOf(Control(PanelTextId)),
              std::string(MessageText(AlreadyInstalledPrefix)) + "d:\\NimbaLun" + MessageText(AlreadyInstalledSuffix));
    EXPECT_EQ(Selected().substr(0, 3), "D= ");

    // French texts.
    CloseDestinationPanel();
    setupContext.language = LanguageFrench;
    CreateDestinationPanel('D', 0);
    EXPECT_EQ(nldriver::TextOf(Control(StartButtonId)), "Commencer l'installation");
    EXPECT_EQ(Selected().substr(0, 12), "D= Disque D:");
    EXPECT_NE(Selected().find(" Mo libres "), std::string::npos);
}

TEST_F(DestinationPanel, ClosingTakesTheChosenDriveAndRemovesTheControls)
{
    CreateDestinationPanel('C', 1);
    ASSERT_TRUE(nldriver::ChooseDrive(Control(DriveListId), 'D'));
    CloseDestinationPanel();
    EXPECT_EQ(setupContext.selectedDrive, 'D');
    for (int id : {DriveListId, PanelTextId, StartButtonId})
        EXPECT_EQ(Control(id), nullptr) << id;
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
    // Each control's place and size for base units of 8 x 16; the drop-down
    // list's height is the combo box's own.
    struct Layout {
        int id, x, y, width, height;
    };
    for (const Layout &layout : {Layout{PanelTextId, 20, 50, 620, 50}, Layout{StartButtonId, 420, 20, 200, 20},
                                 Layout{DriveListId, 80, 20, 320, -1}}) {
        SCOPED_TRACE(layout.id);
        RECT rect;
        GetWindowRect(Control(layout.id), &rect);
        MapWindowPoints(nullptr, window, (POINT *)&rect, 2);
        EXPECT_EQ(rect.left, layout.x * 6 / 8);
        EXPECT_EQ(rect.top, layout.y * 13 / 16);
        EXPECT_EQ(rect.right - rect.left, layout.width * 6 / 8);
        if (layout.height >= 0) {
            EXPECT_EQ(rect.bottom - rect.top, layout.height * 13 / 16);
        }
    }
}

} // namespace
