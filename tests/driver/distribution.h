// The setting of a setup run as a person meets it: a distribution medium
// with setup.exe and the instructions, the program associated with ".htm"
// documents, the Windows version Wine reports, and the windows the setup
// started (viewers, Explorer) closed again afterwards.
#ifndef NIMBALUNE_DISTRIBUTION_H
#define NIMBALUNE_DISTRIBUTION_H

#include "driver/driver.h"
#include "support/saved_settings.h"
#include "support/test_support.h"

#include <memory>
#include <string>

namespace nldriver {

enum { French = 0, English = 1 };

struct DistributionLayout {
    bool filesIns = true;       // the instructions lie in a "Files.ins" folder
    bool html = true;           // the HTML documents exist
    std::string parent;         // folder to create the medium in ("" for a temp folder)
};

// setup.exe copied into a folder beside the instruction documents.
class Distribution {
public:
    explicit Distribution(const DistributionLayout &layout = DistributionLayout());
    ~Distribution();
    const std::string &folder() const { return folder_; }
    std::string SetupPath() const;
    // The folder the instructions are taken from: Files.ins or the medium.
    std::string SourceFolder() const;
    std::string HtmlDocument(int language) const;
    std::string RtfFolder(int language) const;
    // Starts setup.exe, by default with its own folder as current directory.
    Process Launch(const std::string &directory = "") const;

private:
    std::unique_ptr<nltest::TempDir> temp_;
    std::string folder_;
    DistributionLayout layout_;
};

// ".htm" documents open with a command line (its "%1" the document), or
// with nothing at all; the earlier association comes back afterwards.
class HtmlAssociation {
public:
    HtmlAssociation();
    ~HtmlAssociation();
    HtmlAssociation(const HtmlAssociation &) = delete;
    HtmlAssociation &operator=(const HtmlAssociation &) = delete;
    void Use(const std::string &command);
    // The stand-in viewer of the tests, optionally with an owned window.
    void UseTestViewer(bool ownedWindow = false);
    void Remove();

private:
    nltest::SavedRegistryValue extension_;
};

// The Windows version Wine reports to programs named setup.exe ("win31",
// "win95", "win98", ...), for programs started from now on.
class SetupWindowsVersion {
public:
    explicit SetupWindowsVersion(const std::string &version);

private:
    nltest::SavedRegistryValue value_;
};

// The stand-in viewer's windows and Explorer's folder windows.
extern const char ViewerClass[];
extern const char ExplorerClass[];
// Closes every top-level window of the class and waits for it to go; a
// program that does not close it is ended.
void CloseWindowsOfClass(const std::string &className);

// The top-level window of the process with this title.
HWND SetupWindow(const Process &process, DWORD timeoutMs = nltest::PatientMs);
// The Xvfb screen of this run, "1024x768x24" by default.
std::string ScreenName();

} // namespace nldriver

#endif
