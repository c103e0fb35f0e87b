// The one process-wide state record and its values at process start.
#include "setup/setup_context.h"
#include "setup/program_state.h"

namespace {

// Every field by name. Evaluated by the compiler: setup.exe runs no C
// runtime start-up code, so no global may need a constructor.
constexpr SetupContext MakeInitialSetupContext()
{
    SetupContext context = {};
    context.language = LanguageFrench;
    context.instance = NULL;
    context.mainWindow = NULL;
    context.windowsVersion = 0;
    context.dialogBaseUnitX = 0;
    context.dialogBaseUnitY = 0;
    context.backgroundBrush = NULL;
    const char initialDir[] = InitialInstallDir;
    for (unsigned int i = 0; i < sizeof initialDir; ++i)
        context.installDir[i] = initialDir[i];
    context.selectedDrive = 'C';
    context.installDone = 0;
    return context;
}

constexpr SetupContext InitialSetupContext = MakeInitialSetupContext();

} // namespace

SetupContext setupContext = InitialSetupContext;

const char ProductSection[] = "Nimba Lune";
const char DirectoryKey[] = "Directory";
const char ProgramKey[] = "Program";
const char IniFileKey[] = "INI file";
const char LanguageKey[] = "Language";

void ResetSetupContext()
{
    setupContext = InitialSetupContext;
}
