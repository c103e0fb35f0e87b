// The file copier against real files: LZ expansion checked against files
// made by an independent compressor, the progress window as it is painted,
// the paths it builds and the failures it counts.
// wine-screens: 640x480x24
// wine-fixture: copier
#include "install/file_copier.h"
#include "install/progress_window.h"
#include "setup/setup_context.h"
#include "setup/program_state.h"
#include "driver/driver.h"
#include "support/test_support.h"
#include "unit/setup_window.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

using nltest::FileExists;
using nltest::JoinPath;
using nltest::ReadFileText;
using nltest::TempDir;
using nltest::WriteFileBytes;

std::string DataDir(const std::string &name = "")
{
    std::string base = JoinPath(nltest::BuildDir(), "testdata\\copier");
    return name.empty() ? base : JoinPath(base, name);
}

// The files one copy could not copy, as the copier names them.
std::vector<std::string> failedPaths;

void CollectFailure(const char *path)
{
    failedPaths.push_back(path);
}

// CopyFiles, returning how many files it could not copy.
int FailedCopies(const char *pattern, const char *destination, int withProgress, const char *heading)
{
    failedPaths.clear();
    CopyFiles(pattern, destination, withProgress, heading, CollectFailure);
    return (int)failedPaths.size();
}

bool IsCompressed(const std::string &path)
{
    return ReadFileText(path).compare(0, 4, "SZDD") == 0;
}

std::string FileSize(const std::string &path)
{
    return std::to_string(ReadFileText(path).size());
}

// Names in the order the file system lists them, as the copier meets them.
std::vector<std::string> ListedFiles(const std::string &pattern)
{
    std::vector<std::string> names;
    size_t slash = pattern.find_last_of('\\');
    nltest::ForEachEntry(pattern.substr(0, slash), [&](const WIN32_FIND_DATAA &entry) {
        if (!nltest::IsDirectoryEntry(entry))
            names.push_back(entry.cFileName);
    }, pattern.substr(slash + 1));
    return names;
}

bool IsProgressWindow(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, ProgressClassName) == 0;
}

// What a person sees of the progress window: each paint, with the
// percentage and text of the report behind it, and the window's life.
struct Observation {
    std::vector<std::string> events;    // "open", "paint P|TEXT", "close"
    HWND window = nullptr;
    RECT rect = {};
    std::string title;
    HWND owner = nullptr;
    DWORD classStyle = 0;
    bool closeCommand = true;
    std::vector<bool> mainMaximised;    // at the last paint of each report
    std::function<void(int percent)> onPaint;
};

Observation *watched;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *message = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION && watched && IsProgressWindow(message->hwnd)) {
        Observation &seen = *watched;
        if (message->message == WM_CREATE) {
            seen.events.push_back("open");
        } else if (message->message == WM_DESTROY) {
            seen.events.push_back("close");
        } else if (message->message == WM_PAINT) {
            ProgressState state = GetProgressState();
            std::string event = "paint " + std::to_string(state.percent) + "|" + (state.text ? state.text : "");
            // UpdateWindow at creation paints what the first report paints again.
            if (seen.events.empty() || seen.events.back() != event)
                seen.events.push_back(event);
            else
                seen.mainMaximised.pop_back();
            seen.mainMaximised.push_back(IsZoomed(setupContext.mainWindow) != 0);
            seen.window = message->hwnd;
            GetWindowRect(message->hwnd, &seen.rect);
            char title[256] = {};
            GetWindowTextA(message->hwnd, title, sizeof title);
            seen.title = title;
            seen.owner = GetWindow(message->hwnd, GW_OWNER);
            seen.classStyle = (DWORD)GetClassLongPtrA(message->hwnd, GCL_STYLE);
            seen.closeCommand = GetMenuState(GetSystemMenu(message->hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND) != (UINT)-1;
            if (seen.onPaint)
                seen.onPaint(state.percent);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class CopierTest : public nltest::SetupWindowTest {
protected:
    CopierTest() : SetupWindowTest("CopierTestMain", 300, 200) {}

    void SetUp() override
    {
        SetupWindowTest::SetUp();
        GetCurrentDirectoryA(MAX_PATH, savedDirectory);
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchProgress, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        watched = &seen;
    }

    void TearDown() override
    {
        watched = nullptr;
        UnhookWindowsHookEx(hook);
        SetCurrentDirectoryA(savedDirectory);
        SetupWindowTest::TearDown();
    }

    std::vector<std::string> Paints() const
    {
        std::vector<std::string> paints;
        for (const std::string &event : seen.events)
            if (event.compare(0, 6, "paint ") == 0)
                paints.push_back(event.substr(6));
        return paints;
    }

    HHOOK hook = nullptr;
    Observation seen;
    char savedDirectory[MAX_PATH] = {};
};

TEST_F(CopierTest, CompressedAndStoredFilesArriveWholeUnderTheirOwnNames)
{
    const char *names[] = {"text.txt", "noise.bin", "empty.txt", "plain.txt"};
    ASSERT_TRUE(IsCompressed(DataDir("expand\\text.txt"))) << "fixture missing";
    ASSERT_TRUE(IsCompressed(DataDir("expand\\noise.bin")));
    ASSERT_FALSE(IsCompressed(DataDir("expand\\plain.txt")));

    for (int withProgress = 0; withProgress <= 1; ++withProgress) {
        SCOPED_TRACE(withProgress ? "with progress" : "without progress");
        TempDir destination("copy");
        // A longer file already there must be replaced, not appended to.
        ASSERT_TRUE(WriteFileBytes(destination / "text.txt", std::string(400000, 'x')));

        EXPECT_EQ(FailedCopies(DataDir("expand\\*.*").c_str(), destination.path().c_str(), withProgress,
                            "Copie\r\n"), 0);
        for (const char *name : names) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(FileExists(destination / name));
            EXPECT_TRUE(ReadFileText(destination / name) == ReadFileText(DataDir("original\\") + name))
                << FileSize(destination / name) << " bytes against " << FileSize(DataDir("original\\") + name);
        }
        EXPECT_EQ(ListedFiles(destination / "*.*").size(), 4u);
    }
}

TEST_F(CopierTest, ReportsFollowTheStoredBytesAndTheWindowClosesAfterTheLast)
{
    TempDir source("src");
    // The 1-byte file must be the first one listed.
    WriteFileBytes(source / "a.dat", "");
    WriteFileBytes(source / "b.dat", "");
    std::vector<std::string> order = ListedFiles(source / "*.dat");
    ASSERT_EQ(order.size(), 2u);
    WriteFileBytes(source / order[0], "1");
    WriteFileBytes(source / order[1], "22");

    TempDir destination("dst");
    const std::string heading = "Copie des fichiers du programme Nimbalune, vers C:";   // 50 characters
    ASSERT_EQ(heading.size(), 50u);
    const std::string shown = heading.substr(0, 43);
    // Painting as slowly as a busy screen: every report is then painted.
    seen.onPaint = [](int) { Sleep(ProgressPaintInterval + 5); };
    EXPECT_EQ(FailedCopies((source / "*.dat").c_str(), destination.path().c_str(), 1, heading.c_str()), 0);

    std::vector<std::string> expected = {
        "open",
        "paint 0|" + shown,
        "paint 0|" + shown + order[0],
        // 33 % with the first name would be painted over at once by 33 %
        // with the second: the window goes straight to the second.
        "paint 33|" + shown + order[1],
        "paint 100|" + shown + order[1],
        "close",
    };
    EXPECT_EQ(seen.events, expected);
    EXPECT_EQ(FindWindowA(ProgressClassName, nullptr), nullptr);
    EXPECT_EQ(GetProgressState().window, nullptr);
    EXPECT_EQ(ReadFileText(destination / order[1]), "22");

    // The window as it showed: its class, geometry, title and owner.
    EXPECT_EQ(seen.classStyle, 0x1203u);
    EXPECT_FALSE(seen.closeCommand);
    EXPECT_EQ(seen.title, "SETUP Nimbalune 1.1");
    EXPECT_EQ(seen.owner, window);
    EXPECT_EQ(seen.mainMaximised, std::vector<bool>(4, true));
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(seen.rect.left, width / 8);
    EXPECT_EQ(seen.rect.top, height / 4);
    EXPECT_EQ(seen.rect.right - seen.rect.left, width * 3 / 4);
    EXPECT_EQ(seen.rect.bottom - seen.rect.top, height / 2);
    if (width == 640 && height == 480) {
        RECT expectedRect = {80, 120, 560, 360};
        EXPECT_TRUE(EqualRect(&seen.rect, &expectedRect));
    }

    WNDCLASSA registered = {};
    ASSERT_TRUE(GetClassInfoA(setupContext.instance, ProgressClassName, &registered));
    EXPECT_EQ(registered.style, 0x1203u);
    EXPECT_EQ(registered.lpfnWndProc, ProgressWndProc);
    EXPECT_EQ(registered.hbrBackground, (HBRUSH)(COLOR_WINDOW + 1));

    // A heading of exactly 43 characters shows whole; the main window's title
    // gives the progress window at most 63 characters.
    seen = Observation();
    SetWindowTextA(window, std::string(70, 'T').c_str());
    EXPECT_EQ(FailedCopies((source / "*.dat").c_str(), destination.path().c_str(), 1, shown.c_str()), 0);
    ASSERT_FALSE(Paints().empty());
    EXPECT_EQ(Paints().front(), "0|" + shown);
    EXPECT_EQ(seen.title, std::string(63, 'T'));
}

TEST_F(CopierTest, NothingToSizeCopiesNothingWithProgressAndEmptyFilesWithout)
{
    TempDir source("src");
    nltest::MakeDirectories(source / "only.dir");
    nltest::MakeDirectories(source / "also.dir");
    WriteFileBytes(source / "first.nul", "");
    WriteFileBytes(source / "second.nul", "");
    TempDir destination("dst");

    EXPECT_EQ(FailedCopies((source / "*.dir").c_str(), destination.path().c_str(), 1, "Dossiers"), 0);
    std::vector<std::string> opensAndCloses = {"open", "paint 0|Dossiers", "paint 100|", "close"};
    EXPECT_EQ(seen.events, opensAndCloses);
    EXPECT_FALSE(nltest::DirectoryExists(destination / "only.dir"));

    seen = Observation();
    EXPECT_EQ(FailedCopies((source / "*.nul").c_str(), destination.path().c_str(), 1, nullptr), 0);
    std::vector<std::string> headingless = {"open", "paint 0|", "paint 100|", "close"};
    EXPECT_EQ(seen.events, headingless);
    EXPECT_FALSE(FileExists(destination / "first.nul"));

    seen = Observation();
    EXPECT_EQ(FailedCopies((source / "*.nul").c_str(), destination.path().c_str(), 0, nullptr), 0);
    EXPECT_TRUE(seen.events.empty());
    EXPECT_TRUE(FileExists(destination / "first.nul"));
    EXPECT_TRUE(FileExists(destination / "second.nul"));
}

TEST_F(CopierTest, PathsComeFromThePatternAndTheDestinationAsGiven)
{
    TempDir source("src");
    WriteFileBytes(source / "Readme.exe", "MZ readme");
    WriteFileBytes(source / "other.txt", "other");
    TempDir destination("dst");

    // A bare file name is looked for in the current directory.
    ASSERT_TRUE(SetCurrentDirectoryA(source.path().c_str()));
    EXPECT_EQ(FailedCopies("Readme.exe", destination.path().c_str(), 0, nullptr), 0);
    EXPECT_EQ(ReadFileText(destination / "Readme.exe"), "MZ readme");
    EXPECT_FALSE(FileExists(destination / "other.txt"));

    // A trailing backslash is kept: the copier adds its own behind it, as
    // the path of a file it cannot write shows.
    std::string withBackslash = destination.path() + "\\";
    EXPECT_EQ(FailedCopies((source / "other.txt").c_str(), withBackslash.c_str(), 0, nullptr), 0);
    EXPECT_EQ(ReadFileText(destination / "other.txt"), "other");
    HANDLE held = CreateFileA((destination / "other.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(FailedCopies((source / "other.txt").c_str(), withBackslash.c_str(), 0, nullptr), 1);
    CloseHandle(held);
    EXPECT_EQ(failedPaths, std::vector<std::string>{destination.path() + "\\\\other.txt"});

    // A medium deep in a folder tree: sources of 128 characters and more,
    // which OpenFile would refuse, are read like any other.
    std::string deep = source.path();
    while (deep.size() < 200) {
        deep += "\\medium-folder-with-a-long-name";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    }
    ASSERT_TRUE(CopyFileA(DataDir("expand\\text.txt").c_str(), (deep + "\\text.txt").c_str(), FALSE));
    WriteFileBytes(deep + "\\plain.txt", "plain");
    TempDir deepCopy("deep");
    EXPECT_EQ(FailedCopies((deep + "\\*.txt").c_str(), deepCopy.path().c_str(), 1, "Copie"), 0);
    EXPECT_TRUE(ReadFileText(deepCopy / "text.txt") == ReadFileText(DataDir("original\\text.txt")));
    EXPECT_EQ(ReadFileText(deepCopy / "plain.txt"), "plain");

    // Patterns and directories too long for the 512-character paths are
    // refused whole or counted file by file, never written past the buffers.
    std::string longPattern = source.path() + "\\" + std::string(600, 'p');
    EXPECT_EQ(FailedCopies(longPattern.c_str(), destination.path().c_str(), 1, "Long"), 1);
    EXPECT_EQ(FindWindowA(ProgressClassName, nullptr), nullptr);
    for (size_t length : {505u, 510u, 511u, 700u}) {
        std::string longDirectory = destination.path() + "\\" + std::string(length - destination.path().size() - 1, 'd');
        EXPECT_EQ(FailedCopies((source / "*.*").c_str(), longDirectory.c_str(), 0, nullptr), 2) << length;
        for (const std::string &path : failedPaths)
            EXPECT_LT(path.size(), (size_t)CopyPathSize);
    }
}

TEST_F(CopierTest, FilesThatCannotBeCopiedAreCountedAndTheOthersStillCopied)
{
    TempDir source("src");
    for (const char *name : {"one.txt", "locked.txt", "busy.txt", "two.txt", "three.txt"})
        WriteFileBytes(source / name, name);
    TempDir destination("dst");
    WriteFileBytes(destination / "busy.txt", "old busy");
    WriteFileBytes(destination / "two.txt", "old two");
    // Wine run as root does not honour the read-only attribute.
    SetFileAttributesA((destination / "two.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE writable = CreateFileA((destination / "two.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    bool readOnlyHolds = writable == INVALID_HANDLE_VALUE;
    if (!readOnlyHolds)
        CloseHandle(writable);

    // A source held open without sharing cannot be opened for expansion,
    // a destination held so cannot be created.
    HANDLE locked = CreateFileA((source / "locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE busy = CreateFileA((destination / "busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    int failures = FailedCopies((source / "*.txt").c_str(), destination.path().c_str(), 1, "Copie");
    CloseHandle(locked);
    CloseHandle(busy);

    EXPECT_EQ(failures, readOnlyHolds ? 3 : 2);
    for (const std::string &path : failedPaths)
        EXPECT_EQ(path.rfind(destination.path() + "\\", 0), 0u) << "named by its destination: " << path;
    EXPECT_FALSE(FileExists(destination / "locked.txt"));
    EXPECT_EQ(ReadFileText(destination / "busy.txt"), "old busy");
    EXPECT_EQ(ListedFiles(destination / "*.*").size(), 4u) << "nothing written under another name";
    EXPECT_EQ(ReadFileText(destination / "two.txt"), readOnlyHolds ? "old two" : "two.txt");
    EXPECT_EQ(ReadFileText(destination / "one.txt"), "one.txt");
    EXPECT_EQ(ReadFileText(destination / "three.txt"), "three.txt");
    EXPECT_EQ(FindWindowA(ProgressClassName, nullptr), nullptr);
    SetFileAttributesA((destination / "two.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopierTest, DamagedCompressedFileLeavesNothingBehind)
{
    ASSERT_TRUE(IsCompressed(DataDir("damaged\\broken.txt")));
    TempDir destination("dst");
    // An older copy of the damaged file goes too: half a file is worse.
    WriteFileBytes(destination / "broken.txt", "older copy");
    EXPECT_EQ(FailedCopies(DataDir("damaged\\*.txt").c_str(), destination.path().c_str(), 1, "Copie"), 1);
    EXPECT_FALSE(FileExists(destination / "broken.txt"));
    EXPECT_TRUE(ReadFileText(destination / "whole.txt") == ReadFileText(DataDir("original\\text.txt")));
    EXPECT_TRUE(ReadFileText(destination / "plain.txt") == ReadFileText(DataDir("original\\plain.txt")));
}

TEST_F(CopierTest, OnlyAWholeHeaderOfTheKnownMethodIsExpanded)
{
    const std::string signature("SZDD\x88\xf0\x27\x33", 8);
    std::string known = ReadFileText(DataDir("expand\\text.txt"));
    ASSERT_EQ(known.compare(0, 9, signature + "A"), 0);
    std::string unknownMethod = known;
    unknownMethod[8] = 'B';
    std::string padded = known.substr(0, 10) + std::string("\x05\x00\x00\x00", 4) + known.substr(14);
    TempDir source("src");
    WriteFileBytes(source / "unknown.txt", unknownMethod);
    WriteFileBytes(source / "short.txt", signature + "A");     // no room for a length
    WriteFileBytes(source / "padded.txt", padded);              // more data than the header's 5 bytes
    TempDir destination("dst");

    EXPECT_EQ(FailedCopies((source / "*.txt").c_str(), destination.path().c_str(), 1, "Copie"), 1);
    EXPECT_FALSE(FileExists(destination / "unknown.txt"));
    EXPECT_EQ(ReadFileText(destination / "short.txt"), signature + "A");
    EXPECT_EQ(ReadFileText(destination / "padded.txt"), ReadFileText(DataDir("original\\text.txt")).substr(0, 5));
}

TEST_F(CopierTest, FullDiskFailsThoseFilesOnlyAndLeavesNoTruncatedFile)
{
    if (GetFileAttributesA("T:\\") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no 1 MB drive T: (the fixture could not mount a tmpfs)";
    ULARGE_INTEGER freeBytes = {};
    DWORD sectors, bytes, freeClusters, clusters;
    ASSERT_TRUE(GetDiskFreeSpaceA("T:\\", &sectors, &bytes, &freeClusters, &clusters));
    freeBytes.QuadPart = (ULONGLONG)sectors * bytes * freeClusters;
    ASSERT_LE(freeBytes.QuadPart, 1024u * 1024u);

    // huge.bin (2 MB stored) and huge.txt (2.6 MB expanded) cannot fit.
    EXPECT_EQ(FailedCopies(DataDir("overflow\\*.*").c_str(), "T:\\", 1, "Copie"), 2);
    EXPECT_FALSE(FileExists("T:\\huge.bin"));
    EXPECT_FALSE(FileExists("T:\\huge.txt"));
    EXPECT_TRUE(ReadFileText("T:\\first.txt") == ReadFileText(DataDir("original\\first.txt")));
    EXPECT_TRUE(ReadFileText("T:\\last.txt") == ReadFileText(DataDir("original\\last.txt")));
    // The root given with its backslash: two in a row, as the copier builds it.
    for (const std::string &path : failedPaths)
        EXPECT_EQ(path.compare(0, 4, "T:\\\\"), 0) << path;
    DeleteFileA("T:\\first.txt");
    DeleteFileA("T:\\last.txt");
}

TEST_F(CopierTest, QuickSmallFilesArePaintedAFewAtATimeAndALargeOneAlways)
{
    TempDir source("src");
    const int smallFiles = 60;
    for (int i = 0; i < smallFiles; ++i)
        WriteFileBytes(source / ("s" + std::to_string(100 + i) + ".txt"), "small");
    WriteFileBytes(source / "z.txt", std::string(2000000, 'z'));

    TempDir destination("dst");
    DWORD start = GetTickCount();
    EXPECT_EQ(FailedCopies((source / "*.txt").c_str(), destination.path().c_str(), 1, "Copie\r\n"), 0);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(ListedFiles(destination / "*.txt").size(), (size_t)smallFiles + 1);

    // Between the window's first picture (the heading alone) and its last
    // (100 %), one paint per interval at most, whatever the machine's pace,
    // and two more: the first file's name and the large file's.
    std::vector<std::string> paints = Paints();
    ASSERT_GE(paints.size(), 2u);
    EXPECT_LE(paints.size() - 2, (size_t)(elapsed / ProgressPaintInterval + 2)) << elapsed << " ms";
    ASSERT_FALSE(paints.empty());
    EXPECT_EQ(paints.back().substr(0, 4), "100|");
    // Wherever the file system lists it, the large file's name is on the
    // screen before its copy ends.
    bool largeShown = false;
    for (const std::string &paint : paints)
        largeShown = largeShown || (paint.substr(paint.find('|')) == "|Copie\r\nz.txt" && std::stoi(paint) < 100);
    EXPECT_TRUE(largeShown);
    EXPECT_EQ(FindWindowA(ProgressClassName, nullptr), nullptr);
}

TEST_F(CopierTest, ProgressWindowDuringALargerCopy)
{
    TempDir destination("dst");
    std::string shot;
    seen.onPaint = [&](int percent) {
        if (shot.empty() && percent >= 40)
            shot = nldriver::Screenshot("progress_window");
    };
    EXPECT_EQ(FailedCopies(DataDir("large\\*.txt").c_str(), destination.path().c_str(), 1,
                        "Copie des images de Nimbalune\r\n"), 0);
    for (const char *name : {"part1.txt", "part2.txt", "part3.txt", "part4.txt"})
        EXPECT_TRUE(ReadFileText(destination / name) == ReadFileText(DataDir("original\\") + name)) << name;
    ASSERT_FALSE(shot.empty());
    std::string png;
    ASSERT_TRUE(nltest::ReadFileBytes(shot, png));
    EXPECT_EQ(png.compare(0, 4, "\x89PNG"), 0);

    // Percentages only grow, from 0 to 100.
    int previous = -1;
    for (const std::string &paint : Paints()) {
        int percent = std::stoi(paint);
        EXPECT_GE(percent, previous) << paint;
        previous = percent;
    }
    EXPECT_EQ(previous, 100);
}

} // namespace
