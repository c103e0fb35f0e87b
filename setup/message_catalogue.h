// Every text the setup shows or writes for the user, in French and English.
#ifndef NIMBALUNE_MESSAGE_CATALOGUE_H
#define NIMBALUNE_MESSAGE_CATALOGUE_H

#include <windows.h>

enum MessageId {
    ControlPanelLinkName = 1,
    InternalError2 = 3,
    InternalError3 = 4,
    AlreadyInstalledPrefix = 5,
    AlreadyInstalledSuffix = 6,
    DriveLineFormat = 7,
    InstallDirFormat = 9,
    CopyKernelHeading = 11,
    CopyEnglishHeading = 12,
    CopyFrenchHeading = 13,
    CopyPicturesHeading = 14,
    OldWindowsWarning = 15,
    DoneNotice = 17,
    GroupFileText = 19,
    LowColourWarning = 20,
    PaletteColourWarning = 21,
    NewerVersionWarning = 22,
    NeedFreeSpaceFormat = 23,
    StartInstallButton = 24,
    StartProgramLinkName = 25,
    UninstallLinkName = 27,
    InstructionsLinkName = 29,
    ReadmeProgramName = 30,
    SetupCaption = 32,
    IncompleteInstallFormat = 33,
    MessageCount = 34
};

void InitMessageCatalogue();
void ChooseLanguage();
// The entry's text in the current language; "" for an unset or unknown id.
const char *MessageText(int id);
// The entry's text in the given language, whatever the current one.
const char *MessageTextIn(int id, int language);
// The language the regional settings ([Intl] sLanguage) propose.
int ProposedLanguage();

// A message box owned by the main window; its answer, 0 when it could not
// be shown.
int AskText(const char *text, const char *caption, UINT style);
// The same with the catalogue's text and the setup's caption.
int Ask(int id, UINT style);

// The bilingual language questions, one per proposed language.
extern const char LanguageQuestionFrench[];
extern const char LanguageQuestionEnglish[];

#endif
