// Closing the running product before its files are removed.
#ifndef NIMBALUNE_PRODUCT_CLOSING_H
#define NIMBALUNE_PRODUCT_CLOSING_H

enum ProductClosing {
    ProductClosed,          // or it was not running
    ProductStillRuns,
    ProductUnidentified     // a window is there, and no tool help tells whose (Windows NT 4)
};
// Closes the window named in the product's INI file when it belongs to
// the product of this installation folder, and waits, within limits, for
// its process to end. A window of any other program is left alone, and
// one whose program cannot be told is never closed.
int CloseProduct(const char *folder);

#endif
