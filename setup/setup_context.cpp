// The one process-wide state record and its values at process start.
#include "setup/setup_context.h"

// Constant-initialised: setup.exe runs no C runtime start-up code, so no
// global may need a constructor.
constexpr SetupContext InitialSetupContext = {
    LanguageFrench, NULL, NULL, 0, 0, 0, NULL, InitialInstallDir, 'C', 0, 0, 0, 0, 0, 0, 0
};
SetupContext setupContext = InitialSetupContext;

const char ProductSection[] = "Nimba Lune";

void ResetSetupContext()
{
    setupContext = InitialSetupContext;
}
