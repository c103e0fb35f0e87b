// Copies one open file into another, expanding it on the way when it is
// stored in the Windows LZ compressed format ("SZDD", as written by
// COMPRESS.EXE and mscompress); any other file is copied as it is.
#ifndef NIMBALUNE_LZ_EXPANDER_H
#define NIMBALUNE_LZ_EXPANDER_H

#include <windows.h>

// Both handles are at their start. Returns 1 when the whole file arrived:
// a plain file read to its end, or a compressed one expanded to the length
// its header gives. Returns 0 on a read or write error, on compressed data
// that ends early, and on a compressed file of an unknown method; what was
// written by then stays for the caller to remove.
int CopyExpanded(HANDLE source, HANDLE destination);

#endif
