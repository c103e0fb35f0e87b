// The uninstaller's own texts, in French and English.
#ifndef NIMBALUNE_UNINSTALL_TEXTS_H
#define NIMBALUNE_UNINSTALL_TEXTS_H

enum UninstallTextId {
    UninstallCaption,
    ConfirmRemoval,         // names the folder
    NotInstalled,
    RemovedNotice,
    IncompleteNotice,       // product files stay: the registrations stay too
    NotAnInstallationFormat,
    UnusableDirectory,      // win.ini's Directory cut or not a full path
    ProductStillRunning,
    KeptFolderFormat,       // a folder still holding files it did not install
    FileInUseFormat,
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
