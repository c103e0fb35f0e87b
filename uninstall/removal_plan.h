// The removal as one ordered plan: the changes it will make, computed and
// checked before the first, then carried out step by step. The order keeps
// a way to finish at every step: the product's files go first, then its
// shortcuts and group, then the uninstaller and its list, and the uninstall
// entry last of all. Until then the entry names a program that finds the
// list, so a removal stopped at any step is finished by the next one.
#ifndef NIMBALUNE_REMOVAL_PLAN_H
#define NIMBALUNE_REMOVAL_PLAN_H

#include "setup/setup_context.h"

// In the order they are carried out. From RemoveShortcutsStep on, a step
// runs only while nothing of the product had to stay.
enum RemovalStep {
    DeleteProductIniStep,
    EmptyWorkingFoldersStep,
    DeleteListedFilesStep,
    RemoveTreeFoldersStep,
    RemoveShortcutsStep,
    RemoveGroupStep,
    // The entry names the program that removes, running from outside the
    // folder, while the uninstaller and its list go.
    PointEntryAtRemoverStep,
    DeleteUninstallerStep,
    DeleteListStep,
    RemoveInstallFolderStep,
    // Run from the folder itself: the program, its list and the folder go
    // at the next restart.
    ScheduleLastFilesStep,
    RemoveSectionStep,
    RemoveEntryStep,
    RemovalStepCount
};

struct RemovalPlan {
    char folder[PathBufferSize];
    char formerFolder[PathBufferSize];  // recorded in win.ini and gone: the folder before a move
    int inPlace;                        // the remover runs from the folder
    int steps[RemovalStepCount];
    int count;
};

// The text that refuses a folder in this installation state, or -1 when it
// can be removed.
int RefusalText(int state);
// Fills in the plan for a folder in a removable state; 0 when it is not.
int MakeRemovalPlan(RemovalPlan *plan, const char *folder, int state, int inPlace);
// Carries the plan out; returns the notice of the closing message.
int CarryOutRemovalPlan(const RemovalPlan *plan);

#endif
