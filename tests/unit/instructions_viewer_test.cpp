// The instructions viewer in-process: finding the viewer's window, the
// timer's arrangement, and a medium whose folder is too long for the paths.
#include "desktop/instructions_viewer.h"
#include "setup/main_window.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "driver/answerer.h"
#include "driver/distribution.h"
#include "driver/readback.h"
#include "support/test_support.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const char TestClass[] = "ViewerTestWindow";

// A window class usable with any instance value, so that windows can carry
// distinctive GWLP_HINSTANCE values.
void RegisterTestClass()
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = TestClass;
    RegisterClassA(&windowClass);
}

HWND MakeWindow(int x, int y, HWND owner = nullptr, UINT_PTR instance = 0)
{
    HINSTANCE module = instance ? (HINSTANCE)instance : GetModuleHandleA(nullptr);
    return CreateWindowExA(0, TestClass, "viewer test", (owner ? WS_POPUP | WS_CAPTION : WS_OVERLAPPEDWINDOW) | WS_VISIBLE,
                           x, y, 150, 100, owner, nullptr, module, nullptr);
}

// Windows created and served by a second thread, like another program's.
class OtherThread {
public:
    OtherThread(bool owned)
        : thread_([this, owned] {
              threadId_ = GetCurrentThreadId();
              owner_ = MakeWindow(400, 300);
              if (owned)
                  dialog_ = MakeWindow(420, 320, owner_);
              ready_ = true;
              MSG message;
              while (GetMessageA(&message, nullptr, 0, 0))
                  DispatchMessageA(&message);
              DestroyWindow(dialog_);
              DestroyWindow(owner_);
          })
    {
        while (!ready_)
            Sleep(10);
    }
    ~OtherThread()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    DWORD threadId() const { return threadId_; }
    HWND window() const { return owner_; }
    HWND dialog() const { return dialog_; }

private:
    std::atomic<bool> ready_{false};
    DWORD threadId_ = 0;
    HWND owner_ = nullptr, dialog_ = nullptr;
    std::thread thread_;
};

class Viewer : public nltest::SetupWindowTest {
protected:
    Viewer() : SetupWindowTest("ViewerTestMain", 150, 100) {}
    void SetUp() override
    {
        RegisterTestClass();
        SetupWindowTest::SetUp();
        main = window;
    }
    void TearDown() override
    {
        KillTimer(main, ViewerTimerId);
        SetupWindowTest::TearDown();
        ResetProgramState();
    }
    // The state ShowInstructionsBesideSetup leaves after starting something.
    void AwaitViewer(UINT_PTR value)
    {
        WatchForViewer(value, 5, 6, 321, 123);
        ASSERT_EQ(GetViewerWatch().timerId, (UINT_PTR)ViewerTimerId);
    }
    bool StillWaiting(UINT_PTR value)
    {
        return GetViewerWatch().instance == value && GetViewerWatch().timerId == ViewerTimerId;
    }

    HWND main = nullptr;
};

TEST_F(Viewer, WindowIsFoundByThreadOrInstance)
{
    OtherThread other(false);
    EXPECT_EQ(FindWindowOfInstance(other.threadId()), other.window());

    HWND marked = MakeWindow(50, 50, nullptr, 0x7A10000);
    EXPECT_EQ(FindWindowOfInstance(0x7A10000), marked);
    DestroyWindow(marked);

    // Shell results are small odd numbers that name no thread or module.
    EXPECT_EQ(FindWindowOfInstance(33), nullptr);
    EXPECT_EQ(FindWindowOfInstance(0x7A20000), nullptr);
}

TEST_F(Viewer, TickMovesTheViewerOnceAndGivesTheForegroundBack)
{
    OtherThread other(false);
    AwaitViewer(other.threadId());
    EXPECT_EQ(HandleSetupMessage(main, WM_TIMER, ViewerTimerId, 0), MessageHandled);
    EXPECT_TRUE(nldriver::HasRect(other.window(), 5, 6, 321, 123));
    EXPECT_EQ(GetViewerWatch().instance, 0u);
    EXPECT_EQ(GetViewerWatch().timerId, 0u);
    EXPECT_FALSE(KillTimer(main, ViewerTimerId));   // already stopped
    EXPECT_EQ(GetForegroundWindow(), main);

    // Later ticks move nothing.
    MoveWindow(other.window(), 400, 300, 150, 100, TRUE);
    OnViewerTimer();
    EXPECT_TRUE(nldriver::HasRect(other.window(), 400, 300, 150, 100));
}

TEST_F(Viewer, OwnedWindowMovesItsOwner)
{
    OtherThread other(true);
    AwaitViewer(other.threadId());
    OnViewerTimer();
    EXPECT_TRUE(nldriver::HasRect(other.window(), 5, 6, 321, 123));
    EXPECT_TRUE(nldriver::HasRect(other.dialog(), 420, 320, 150, 100));
    EXPECT_EQ(GetViewerWatch().instance, 0u);
}

TEST_F(Viewer, SetupWindowAndItsBoxesAreNeverMoved)
{
    // The value names the setup window itself, then a window it owns.
    HWND marked = MakeWindow(0, 0, nullptr, 0x7A30000);
    setupContext.mainWindow = marked;
    AwaitViewer(0x7A30000);
    OnViewerTimer();
    EXPECT_TRUE(nldriver::HasRect(marked, 0, 0, 150, 100));
    EXPECT_TRUE(StillWaiting(0x7A30000));

    HWND box = MakeWindow(30, 30, marked, 0x7A40000);
    AwaitViewer(0x7A40000);
    OnViewerTimer();
    EXPECT_TRUE(nldriver::HasRect(box, 30, 30, 150, 100));
    EXPECT_TRUE(nldriver::HasRect(marked, 0, 0, 150, 100));
    EXPECT_TRUE(StillWaiting(0x7A40000));
    DestroyWindow(box);
    KillTimer(main, ViewerTimerId);
    DestroyWindow(marked);
}

TEST_F(Viewer, UnknownValueTakesTheForegroundWindow)
{
    HWND front = MakeWindow(200, 200);
    SetForegroundWindow(front);
    ASSERT_EQ(GetForegroundWindow(), front);
    AwaitViewer(33);
    OnViewerTimer();
    EXPECT_TRUE(nldriver::HasRect(front, 5, 6, 321, 123));
    EXPECT_EQ(GetViewerWatch().timerId, 0u);

    // Nothing awaited: a tick does nothing.
    MoveWindow(front, 200, 200, 150, 100, TRUE);
    SetForegroundWindow(front);
    OnViewerTimer();
    EXPECT_TRUE(nldriver::HasRect(front, 200, 200, 150, 100));
    DestroyWindow(front);
}

TEST_F(Viewer, OtherTimersAreNotTheViewers)
{
    EXPECT_EQ(HandleSetupMessage(main, WM_TIMER, ViewerTimerId + 1, 0), 0u);
}

// A copy of a program in a folder of exactly this many characters, loaded
// as a module so that it can stand for the setup program.
class ModuleInFolder {
public:
    ModuleInFolder(const nltest::TempDir &base, size_t length)
    {
        folder_ = base.path();
        while (folder_.size() < length) {
            size_t room = length - folder_.size() - 1;
            folder_ += "\\" + std::string(room < 100 ? room : 100, 'd');
            CreateDirectoryA(folder_.c_str(), nullptr);
        }
        std::string copy = folder_ + "\\s.exe";
        CopyFileA(nltest::JoinPath(nltest::ProgramDirectory(), "html_viewer.exe").c_str(), copy.c_str(), FALSE);
        module_ = LoadLibraryExA(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    }
    ~ModuleInFolder() { FreeLibrary(module_); }
    const std::string &folder() const { return folder_; }
    HMODULE module() const { return module_; }

private:
    std::string folder_;
    HMODULE module_ = nullptr;
};

TEST_F(Viewer, FolderTooLongForThePathsOpensNothing)
{
    nltest::TempDir base("long");
    nldriver::HtmlAssociation association;
    association.UseTestViewer();
    // 221 characters: the English paths take 259, the French ones 260.
    ModuleInFolder medium(base, 221);
    ASSERT_EQ(medium.folder().size(), 221u);
    ASSERT_NE(medium.module(), nullptr) << medium.folder();
    ASSERT_TRUE(nltest::MakeDirectories(medium.folder() + "\\instruct.rtf\\english.rtf"));
    setupContext.instance = medium.module();

    RECT before = nldriver::Describe(main).rect;
    setupContext.language = LanguageFrench;
    {
        nldriver::BoxAnswerer noBox(IDOK, 1500);
        ShowInstructionsBesideSetup();
        EXPECT_EQ(noBox.Finish().handle, nullptr);
    }
    EXPECT_EQ(GetViewerWatch().timerId, 0u);
    EXPECT_EQ(GetViewerWatch().instance, 0u);
    RECT after = nldriver::Describe(main).rect;
    EXPECT_TRUE(EqualRect(&before, &after));

    // One character less fits: with no HTML document there, Explorer opens
    // the RTF folder, started by its full path in the Windows folder.
    EXPECT_GT(OpenInstructions(LanguageEnglish), 31u);
    HWND explorer = nldriver::WaitForWindow(0, [](const nldriver::WindowInfo &w) {
        return w.className == nldriver::ExplorerClass && w.title == "english.rtf";
    });
    ASSERT_NE(explorer, nullptr);
    EXPECT_EQ(nldriver::CommandLineOf(nldriver::Describe(explorer).processId),
              nldriver::WindowsDirectory() + "\\Explorer.exe " + medium.folder() + "\\instruct.rtf\\english.rtf");
    nldriver::CloseWindowsOfClass(nldriver::ExplorerClass);
}

TEST_F(Viewer, FilesInsTooLongForThePathsOpensNothing)
{
    nltest::TempDir base("long");
    // The candidate fits, but the source folder below it is too long.
    ModuleInFolder medium(base, 215);
    ASSERT_NE(medium.module(), nullptr);
    ASSERT_TRUE(CreateDirectoryA((medium.folder() + "\\Files.ins").c_str(), nullptr));
    setupContext.instance = medium.module();
    nldriver::BoxAnswerer noBox(IDOK, 1500);
    EXPECT_EQ(OpenInstructions(LanguageEnglish), 0u);
    EXPECT_EQ(noBox.Finish().handle, nullptr);

    // A folder whose candidate would not fit at all.
    ModuleInFolder deeper(base, 250);
    ASSERT_NE(deeper.module(), nullptr);
    setupContext.instance = deeper.module();
    EXPECT_EQ(OpenInstructions(LanguageEnglish), 0u);
}

// A program whose name cannot be read takes "\Files.ins" at the root of the
// current drive, else the current directory. Drive C:'s root is the
// prefix's own; what the test makes there goes again.
TEST_F(Viewer, UnreadableProgramNameLooksAtTheDriveRootThenTheCurrentDirectory)
{
    nldriver::HtmlAssociation association;
    association.UseTestViewer();
    nltest::SavedCurrentDirectory previousDirectory;
    const std::string rootFolder = "C:\\Files.ins";
    const std::string current = "C:\\nl-viewer-" + std::to_string(GetCurrentProcessId());
    const std::string document = "\\instruct.htm\\english.htm\\nimbalun.htm";
    struct Removed {
        std::vector<std::string> folders;
        ~Removed()
        {
            for (const std::string &folder : folders)
                nltest::RemoveTree(folder);
        }
    } made{{rootFolder, current}};
    setupContext.instance = (HINSTANCE)0x7A50000;   // names no module

    for (bool atRoot : {true, false}) {
        const std::string &source = atRoot ? rootFolder : current;
        SCOPED_TRACE(source);
        for (const std::string &folder : made.folders)
            nltest::RemoveTree(folder);
        ASSERT_TRUE(nltest::MakeDirectories(current));
        ASSERT_TRUE(nltest::MakeDirectories(source + "\\instruct.htm\\english.htm"));
        ASSERT_TRUE(nltest::WriteFileBytes(source + document, "instructions"));
        ASSERT_TRUE(SetCurrentDirectoryA(current.c_str()));

        ASSERT_GT(OpenInstructions(LanguageEnglish), 32u);
        std::string title = "NLTestViewer " + source + document;
        EXPECT_NE(nldriver::WaitForWindow(0, [&](const nldriver::WindowInfo &w) {
                      return w.className == nldriver::ViewerClass && lstrcmpiA(w.title.c_str(), title.c_str()) == 0;
                  }), nullptr);
        nldriver::CloseWindowsOfClass(nldriver::ViewerClass);
        SetCurrentDirectoryA(previousDirectory.path().c_str());
    }
}

} // namespace
