// The uninstaller's own texts, in French and English.
#ifndef NIMBALUNE_UNINSTALL_TEXTS_H
#define NIMBALUNE_UNINSTALL_TEXTS_H

enum UninstallTextId {
    UninstallCaption,
    ConfirmRemoval,         // names the folder
    NotInstalled,
    RemovedNotice,
    RemovedAtRestartNotice, // the uninstaller, its list and folder go at restart
    IncompleteNotice,       // product files stay: the registrations stay too
    NotAnInstallationFormat,
    LinkedInstallationFormat,   // the folder is a link: nothing is removed through it
    DamagedListFormat,      // the list is cut or does not name itself
    ProductMayBeRunning,    // its window is there, and nothing here tells whose it is
    UnusableDirectory,      // win.ini's Directory cut or not a full path
    ProductStillRunning,
    KeptFolderFormat,       // a folder still holding files it did not install
    FileInUseFormat,
    FileAccessDeniedFormat,
    FileReadOnlyMediumFormat,
    FolderInUseFormat,      // empty, yet another process holds it
    LinkKeptFormat,         // a directory link, never entered
    SharedFolderFormat,     // the folder is a drive root or the Windows folder
    FolderGoneFormat,
    ListUnreadableFormat,
    MoreKept,
    UninstallTextCount
};

// The language of the removal: the one recorded at installation in the
// product's win.ini section, else the one the regional settings propose.
int UninstallLanguage();
// The text in the given language ("" for an unknown id).
const char *UninstallText(int id, int language);

#endif
