// Paths composed in fixed-size buffers: a base directory and one suffix
// that begins with a backslash, refused when they would not fit.
#ifndef NIMBALUNE_PATH_TEXT_H
#define NIMBALUNE_PATH_TEXT_H

// Copies base and then suffix into path (capacity bytes, zero included).
// Returns 0 and leaves path empty when the text would not fit.
int ComposePath(char *path, int capacity, const char *base, const char *suffix);
// Appends suffix to the text in path; returns 0 and leaves it unchanged
// when the result would not fit.
int AppendPath(char *path, int capacity, const char *suffix);

#endif
