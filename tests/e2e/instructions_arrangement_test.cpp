// The instructions open beside the setup: the viewer's window takes the top
// two thirds of the screen, the setup window the bottom third.
// wine-screens: 1024x768x24 800x600x24 640x480x24 1280x1024x24
#include "start_up.h"

namespace {

using namespace startup;

std::string RectText(HWND window)
{
    RECT r = Describe(window).rect;
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) +
           " x " + std::to_string(r.bottom - r.top);
}

class InstructionsArrangement : public StartUp {};

TEST_F(InstructionsArrangement, ViewerAboveSetupWindowBelow)
{
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    // Both languages' documents, on alternate screens.
    int chosen = w == 1024 || w == 640 ? French : English;
    StartAndChoose(chosen == French ? "fra" : "enu", IDYES);

    HWND viewerWindow = WaitForWindow(0, [](const WindowInfo &info) { return info.className == ViewerClass; });
    ASSERT_NE(viewerWindow, nullptr) << "the viewer did not open";
    std::string title = Describe(viewerWindow).title;
    EXPECT_EQ(lstrcmpiA(title.c_str(), ("NLTestViewer " + medium.HtmlDocument(chosen)).c_str()), 0) << title;

    EXPECT_TRUE(WaitUntil([&] { return HasRect(viewerWindow, 0, 0, w, 2 * h / 3); }))
        << "viewer at " << RectText(viewerWindow);
    EXPECT_TRUE(HasRect(window, 0, 2 * h / 3, w, h / 3)) << "setup window at " << RectText(window);
    if (h == 1024) {
        EXPECT_TRUE(HasRect(window, 0, 682, 1280, 341));
        EXPECT_TRUE(HasRect(viewerWindow, 0, 0, 1280, 682));
    }
    // The setup window has the foreground back.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }))
        << "foreground: \"" << Describe(GetForegroundWindow()).className << "\" \""
        << Describe(GetForegroundWindow()).title << "\"";
    LogWindows("arranged");
    Screenshot("instructions-" + ScreenName());

    ExpectNoFurtherQuestion();
}

} // namespace
