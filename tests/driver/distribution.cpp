#include "driver/distribution.h"
#include "driver/setup_person.h"

#include <cstdlib>

namespace nldriver {

const char ViewerClass[] = "NLTestViewer";
const char ExplorerClass[] = "ExplorerWClass";

namespace {

const char TestProgId[] = "NimbaluneTest.htmlfile";
const char MissingProgId[] = "NimbaluneTest.none";   // a type with no program
const char *const LanguageFolders[] = {"francais", "english"};

} // namespace

Distribution::Distribution(const DistributionLayout &layout) : layout_(layout)
{
    if (layout.parent.empty()) {
        temp_.reset(new nltest::TempDir("medium"));
        folder_ = temp_->path();
    } else {
        folder_ = nltest::JoinPath(layout.parent, "medium");
        nltest::MakeDirectories(folder_);
    }
    CopyFileA(nltest::JoinPath(nltest::BuildDir(), "setup.exe").c_str(), SetupPath().c_str(), FALSE);
    for (int language : {French, English}) {
        std::string rtf = RtfFolder(language);
        nltest::MakeDirectories(rtf);
        nltest::WriteFileBytes(nltest::JoinPath(rtf, "NimbaLun.rtf"), "{\\rtf1 Nimbalune}\r\n");
        if (layout.html) {
            std::string html = HtmlDocument(language);
            nltest::MakeDirectories(html.substr(0, html.find_last_of('\\')));
            nltest::WriteFileBytes(html, std::string("<html>") + LanguageFolders[language] + "</html>\r\n");
        }
    }
}

Distribution::~Distribution()
{
    if (!temp_)
        nltest::RemoveTreePatiently(folder_);
}

std::string Distribution::SetupPath() const
{
    return nltest::JoinPath(folder_, "setup.exe");
}

std::string Distribution::SourceFolder() const
{
    return layout_.filesIns ? nltest::JoinPath(folder_, "Files.ins") : folder_;
}

std::string Distribution::HtmlDocument(int language) const
{
    return SourceFolder() + "\\instruct.htm\\" + LanguageFolders[language] + ".htm\\nimbalun.htm";
}

std::string Distribution::RtfFolder(int language) const
{
    return SourceFolder() + "\\instruct.rtf\\" + LanguageFolders[language] + ".rtf";
}

Process Distribution::Launch(const std::string &directory) const
{
    return nldriver::Launch("\"" + SetupPath() + "\"", directory.empty() ? folder_ : directory);
}

HtmlAssociation::HtmlAssociation() : extension_(HKEY_CLASSES_ROOT, ".htm", "")
{
}

HtmlAssociation::~HtmlAssociation()
{
    nltest::DeleteRegistryTree(HKEY_CLASSES_ROOT, TestProgId);
}

void HtmlAssociation::Use(const std::string &command)
{
    nltest::WriteRegistryString(HKEY_CLASSES_ROOT, std::string(TestProgId) + "\\shell\\open\\command", "", command);
    extension_.Set(TestProgId);
}

void HtmlAssociation::UseTestViewer(bool ownedWindow)
{
    std::string viewer = nltest::JoinPath(nltest::ProgramDirectory(), "html_viewer.exe");
    Use("\"" + viewer + "\" " + (ownedWindow ? "/owned " : "") + "\"%1\"");
}

void HtmlAssociation::Remove()
{
    extension_.Set(MissingProgId);
}

SetupWindowsVersion::SetupWindowsVersion(const std::string &version)
    : value_(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", "Version")
{
    value_.Set(version);
}

void CloseWindowsOfClass(const std::string &className)
{
    for (const WindowInfo &w : TopWindows(0)) {
        if (w.className != className)
            continue;
        // Waits for the program, not just its window: a program still
        // ending keeps its current directory in use.
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, w.processId);
        PostMessageA(w.handle, WM_CLOSE, 0, 0);
        if (!process) {
            WaitUntil([&] { return !IsWindow(w.handle); }, 5000);
            continue;
        }
        if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}

HWND SetupWindow(const Process &process, DWORD timeoutMs)
{
    return WaitForWindowTitled(process.id, SetupTitle, timeoutMs);
}

std::string ScreenName()
{
    const char *screen = std::getenv("NL_SCREEN");
    return screen && *screen ? screen : "1024x768x24";
}

} // namespace nldriver
