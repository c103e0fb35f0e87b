// A "Current hwnd" left behind by a crash or written by hand that is no
// window handle of the product: nothing crashes and no other window is
// touched.
#include "setup/running_product.h"
#include "support/saved_settings.h"
#include "support/test_support.h"
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

} // namespace
