// Paths composed in fixed-size buffers: a base directory and one suffix
// that begins with a backslash, refused when they would not fit; and paths
// cut at their last backslash.
#ifndef NIMBALUNE_PATH_TEXT_H
#define NIMBALUNE_PATH_TEXT_H

#include <windows.h>

// Copies base and then suffix into path (capacity bytes, zero included).
// Returns 0 and leaves path empty when the text would not fit.
int ComposePath(char *path, int capacity, const char *base, const char *suffix);
// Appends suffix to the text in path; returns 0 and leaves it unchanged
// when the result would not fit.
int AppendPath(char *path, int capacity, const char *suffix);

// Where the last name of a path begins: just behind its last backslash, 0
// when it has none.
int NameStart(const char *path);
// Ends the path at its last backslash; a path without one stays whole.
void CutLastName(char *path);

// The folder of the running program (of the module `instance`), without a
// trailing backslash, in capacity bytes; 0 when it cannot be told or does
// not fit. A name that cannot be read at all leaves the folder empty.
int GetProgramFolder(HINSTANCE instance, char *folder, int capacity);

#endif
