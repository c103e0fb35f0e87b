// What the removal kept, and why: collected while it works, shown at the end.
#ifndef NIMBALUNE_REMOVAL_REPORT_H
#define NIMBALUNE_REMOVAL_REPORT_H

// Starts an empty report.
void ClearRemovalReport();
// Adds one kept item: a text of the uninstaller's table with its path.
void ReportKept(int formatId, const char *path);
// The same for a folder, a drive's root shown with its backslash ("C:\\").
void ReportKeptFolder(int formatId, const char *folder);
// Whether the path was already named (a file in use, a link).
int WasReported(const char *path);
// The closing message: a notice of the table, then every kept item.
const char *RemovalMessage(int noticeId, int language);
// How many items were kept.
int KeptCount();

#endif
