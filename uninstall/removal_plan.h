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
    // While the uninstaller and its list go, the entry names a program
    // outside the folder that outlives a restart: a keeper copy of the
    // program that removes, which is itself deleted at restart.
    PointEntryAtRemoverStep,
    DeleteUninstallerStep,
    DeleteListStep,
    RemoveInstallFolderStep,
    // Run from the folder itself: the program, its list and the folder go
    // at the next restart.
    ScheduleLastFilesStep,
    RemoveSectionStep,
    // The keeper and the entry go together: the keeper's deletion is
    // scheduled for the restart before the entry goes, then it is deleted
    // at once. Stopped between the two, the entry still starts the keeper
    // until a restart, and after it names no program, which Add/Remove
    // Programs offers to drop.
    ScheduleKeeperDeletionStep,
    RemoveEntryStep,
    DeleteKeeperStep,
    RemovalStepCount
};

struct RemovalPlan {
    char folder[PathBufferSize];
    char formerFolder[PathBufferSize];  // recorded in win.ini and gone: the folder before a move
    int inPlace;                        // the remover runs from the folder
    char keeper[MAX_PATH];              // the copy the entry names meanwhile, "" when none
    int steps[RemovalStepCount];
    int count;
};

// The text that refuses a folder in this installation state, or -1 when it
// can be removed.
int RefusalText(int state);
// Fills in the plan for a folder in a removable state; 0 when it is not.
int MakeRemovalPlan(RemovalPlan *plan, const char *folder, int state, int inPlace);
// Carries the plan out; returns the notice of the closing message.
int CarryOutRemovalPlan(RemovalPlan *plan);

#endif
