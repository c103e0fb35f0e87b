// The closing message, built in a fixed buffer: each kept item is added
// while it fits, then a single "and more". Items are remembered well past
// what the message can name, so that a folder holding kept files is not
// taken for one holding files the product did not install.
#include "uninstall/removal_report.h"
#include "uninstall/path_forms.h"
#include "setup/path_text.h"
#include "uninstall/uninstall_texts.h"

#include <windows.h>

namespace {

enum {
    KeptItemCount = 64,
    ItemTextSize = 1024,            // wsprintfA writes at most 1024 bytes
    MessageSize = 4096
};

struct KeptItem {
    int formatId;
    char path[MAX_PATH];
};

KeptItem keptItems[KeptItemCount];
int keptCount;
int moreKept;
char message[MessageSize];

} // namespace

void ClearRemovalReport()
{
    keptCount = 0;
    moreKept = 0;
}

void ReportKept(int formatId, const char *path)
{
    if (keptCount == KeptItemCount) {
        moreKept = 1;
        return;
    }
    keptItems[keptCount].formatId = formatId;
    lstrcpynA(keptItems[keptCount].path, path, MAX_PATH);
    keptCount++;
}

void ReportKeptFolder(int formatId, const char *folder)
{
    char shown[MAX_PATH];
    if (FolderAsPath(folder, shown, sizeof shown))
        ReportKept(formatId, shown);
}

int WasReported(const char *path)
{
    for (int i = 0; i < keptCount; i++)
        if (lstrcmpiA(keptItems[i].path, path) == 0)
            return 1;
    return 0;
}

int KeptCount()
{
    return keptCount + moreKept;
}

const char *RemovalMessage(int noticeId, int language)
{
    char item[ItemTextSize];
    int more = moreKept;

    lstrcpynA(message, UninstallText(noticeId, language), MessageSize);
    for (int i = 0; i < keptCount; i++) {
        // A path is at most MAX_PATH characters and every format is short.
        wsprintfA(item, UninstallText(keptItems[i].formatId, language), keptItems[i].path);
        if (!AppendPath(message, MessageSize, item)) {
            more = 1;
            break;
        }
    }
    if (more)
        AppendPath(message, MessageSize, UninstallText(MoreKept, language));
    return message;
}
