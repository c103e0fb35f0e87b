// Settings left behind by a crash or written by hand: a "Current hwnd"
// that is no window handle, and a "Program" that is no program. Nothing
// crashes, no other window is touched, and the version query answers as
// for any file without a usable version.
#include "setup/installed_version.h"
#include "setup/running_product.h"
#include "support/saved_settings.h"
#include "support/test_support.h"
#include "support/version_resource.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        SetPropA(window, "destroyed", (HANDLE)1);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow()
{
    return nltest::MakeTestWindow("HostileSettingsTest", 200, 100, CountingProc, "bystander");
}

TEST(HostileSettings, CurrentHwndThatNamesNoProductWindowDestroysNothing)
{
    nltest::TempDir dir("hwnd");
    std::string ini = dir / "nimbalun.ini";
    nltest::SavedProfileValue iniFile(ProductSection, IniFileKey);
    iniFile.Set(ini);

    HWND bystander = MakeWindow();
    ASSERT_NE(bystander, nullptr);
    HWND gone = MakeWindow();
    std::string goneValue = std::to_string((UINT)(UINT_PTR)gone);
    DestroyWindow(gone);
    ASSERT_FALSE(IsWindow(gone));

    for (const char *value : {"not a number", "0", "-1", "4294967295", goneValue.c_str(), "",
                              "99999999999999999999"}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(WritePrivateProfileStringA("", "Current hwnd", value, ini.c_str()));
        CloseRunningProduct();
        EXPECT_TRUE(IsWindow(bystander));
        EXPECT_EQ(GetPropA(bystander, "destroyed"), nullptr);
    }

    // A live handle is still told to close.
    ASSERT_TRUE(WritePrivateProfileStringA("", "Current hwnd", std::to_string((UINT)(UINT_PTR)bystander).c_str(),
                                           ini.c_str()));
    CloseRunningProduct();
    EXPECT_EQ(GetPropA(bystander, "destroyed"), (HANDLE)1);
    RemovePropA(bystander, "destroyed");
    DestroyWindow(bystander);
}

TEST(HostileSettings, ProgramThatIsNoProgram)
{
    nltest::TempDir dir("program");
    DWORD ms = 0xDEADBEEF, ls = 0xDEADBEEF;

    // A folder: no version, no time, no question.
    std::string folder = dir / "nimbalun.exe";
    ASSERT_TRUE(nltest::MakeDirectories(folder));
    EXPECT_EQ(QueryInstalledVersion(folder.c_str(), &ms, &ls), 0);
    EXPECT_EQ(ms, 0u);
    EXPECT_EQ(ls, 0u);

    // An empty file and a text file are dated by their time of day.
    std::string empty = dir / "empty.exe", text = dir / "text.exe";
    ASSERT_TRUE(nltest::WriteFileBytes(empty, ""));
    ASSERT_TRUE(nltest::WriteFileBytes(text, "MZ but not really a program\r\n"));
    for (const std::string &path : {empty, text}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(nltest::SetLocalWriteTime(path, 0, 59, 30));
        EXPECT_EQ(QueryInstalledVersion(path.c_str(), &ms, &ls), 1);
        EXPECT_EQ(ms, 59u);
        EXPECT_EQ(ls, 30u << 16);
    }

    // A version resource larger than the query's buffer: the fixed part at
    // its start is still read.
    std::string large = dir / "large.exe";
    ASSERT_TRUE(nltest::WriteVersionedProgram(large, 2, 0, 3, 7, false, 5000));
    ASSERT_GT(GetFileVersionInfoSizeA(large.c_str(), nullptr), 2048u);
    EXPECT_EQ(QueryInstalledVersion(large.c_str(), &ms, &ls), 1);
    EXPECT_EQ(ms, 0x20000u);
    EXPECT_EQ(ls, 0x30007u);
}

} // namespace
