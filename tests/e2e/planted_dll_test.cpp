// A copy of the medium with a version.dll, an lz32.dll and an Explorer.exe
// planted beside setup.exe: the setup installs everything, neither planted
// DLL is loaded and the planted program never runs (the setup starts
// Explorer on the new Programs folder).
//
// Wine is told to take lz32.dll found along the search path before its own,
// as Windows does. WINEDLLOVERRIDES set here does not reach a Wine process
// started from this one, so the per-program DLL overrides in the registry
// carry it. version.dll cannot be preferred so for setup.exe: Wine's own
// user32.dll imports version.dll by name, so with that override every
// window program of Wine, whatever it imports, loads the planted copy and
// fails to start. The control program imports no user32 and gets both.
#include "driver/installation.h"
#include "driver/product_state.h"
#include "support/saved_settings.h"
#include "support/test_support.h"
#include "support/product_names.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace nldriver;

const char *const PlantedNames[] = {"version.dll", "lz32.dll", "Explorer.exe"};

// Native-before-builtin overrides for one program, put back afterwards.
class PreferNativeDlls {
public:
    PreferNativeDlls(const char *program, std::initializer_list<const char *> dlls)
    {
        for (const char *dll : dlls) {
            saved_.emplace_back(new nltest::SavedRegistryValue(
                HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides", dll));
            saved_.back()->Set("native,builtin");
        }
    }

private:
    std::vector<std::unique_ptr<nltest::SavedRegistryValue>> saved_;
};

TEST(PlantedDlls, AreNotLoadedAndTheInstallationIsComplete)
{
    ForgetProduct();
    nltest::SetProfile("Intl", "sLanguage", "enu");
    nltest::TempDir download("planted");
    std::string medium = download / "medium";
    ASSERT_TRUE(CopyTree(MediumDir(), medium));
    std::string planted = nltest::JoinPath(nltest::ProgramDirectory(), "planted");
    for (const char *name : PlantedNames)
        ASSERT_TRUE(CopyFileA(nltest::JoinPath(planted, name).c_str(), nltest::JoinPath(medium, name).c_str(), FALSE));

    {
        PreferNativeDlls overrides("setup.exe", {"lz32"});
        PreferNativeDlls controlOverrides("load_by_name.exe", {"version", "lz32"});
        EXPECT_EQ(InstallThrough(nltest::JoinPath(medium, "setup.exe")), nltest::English.doneNotice);

        for (const char *name : PlantedNames)
            EXPECT_FALSE(nltest::FileExists(nltest::JoinPath(medium, std::string(name) + ".loaded"))) << name;
        EXPECT_EQ(TreeDifferences("C:\\NimbaLun"), "");

        // The control: a program beside the planted DLLs that loads them by
        // name does get them, so the planting itself works.
        ASSERT_TRUE(CopyFileA(nltest::JoinPath(nltest::ProgramDirectory(), "load_by_name.exe").c_str(),
                              nltest::JoinPath(medium, "load_by_name.exe").c_str(), FALSE));
        for (const char *name : PlantedNames) {
            Process control = Launch("\"" + nltest::JoinPath(medium, "load_by_name.exe") + "\" " + name, medium);
            EXPECT_EQ(WaitForExit(control), 0) << name;
            Close(control);
            std::string marker = nltest::JoinPath(medium, std::string(name) + ".loaded");
            EXPECT_TRUE(WaitUntil([&] { return nltest::FileExists(marker); })) << name;
        }
    }
    ForgetProduct();
}

} // namespace
