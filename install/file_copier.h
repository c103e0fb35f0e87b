// Copies every file that matches a wildcard pattern into a directory,
// expanding Windows LZ-compressed files on the way.
#ifndef NIMBALUNE_FILE_COPIER_H
#define NIMBALUNE_FILE_COPIER_H

enum {
    CopyPathSize = 512,         // the pattern and the two paths of a copy
    ProgressTextSize = 300,     // heading and file name in the progress window
    HeadingLimit = 43,          // characters of a heading that are shown
    ProgressPaintInterval = 25  // ms: reports closer than this may go unpainted
};

// Called with the path of every file that could not be copied: the
// destination path when it could be composed, else the source's name (the
// pattern itself when it is too long to be searched).
typedef void (*CopyFailureHandler)(const char *path);

// onFailure may be NULL when nobody needs to know.
void CopyFiles(const char *sourcePattern, const char *destinationDirectory, int withProgress, const char *heading,
               CopyFailureHandler onFailure);

#endif
