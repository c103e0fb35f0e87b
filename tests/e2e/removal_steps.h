// What the removal tests share: an installation to remove, and the two
// ways a person starts its removal.
#ifndef NIMBALUNE_REMOVAL_STEPS_H
#define NIMBALUNE_REMOVAL_STEPS_H

#include "driver/installation.h"
#include "support/product_names.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace nldriver {

const char InstallDir[] = "C:\\NimbaLun";
const char RemoveCommand[] = "uninstaller --remove Nimbalune";
// As the "Uninstalling Nimbalune" shortcut starts it: Wine's uninstaller
// takes some 10 s to start a program, which the table need not wait for.
const char ShortcutCommand[] = "\"C:\\NimbaLun\\Uninstal.exe\"";

// An installation over another goes on past the question about a newer
// installed version (the sample product has no version resource).
inline int AnswerToReinstall(const MessageBoxInfo &box)
{
    return box.text.find("ATTENTION") == 0 ? IDYES : AnswerLikeAPerson(box);
}

inline void InstallIn(const char *regionalLanguage)
{
    const nltest::LanguageNames &names = std::string(regionalLanguage) == "fra" ? nltest::French : nltest::English;
    nltest::SetProfile("Intl", "sLanguage", regionalLanguage);
    ASSERT_EQ(InstallThrough(MediumSetup(), AnswerToReinstall), nltest::Cp1252(names.doneNotice));
}

} // namespace nldriver

#endif
