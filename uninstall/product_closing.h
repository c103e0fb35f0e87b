// Closing the running product before its files are removed.
#ifndef NIMBALUNE_PRODUCT_CLOSING_H
#define NIMBALUNE_PRODUCT_CLOSING_H

// Closes the window named in the product's INI file when it belongs to
// the product of this installation folder, and waits, within limits, for
// its process to end. A window of any other program is left alone. 0 when
// the product still runs.
int CloseProduct(const char *folder);

#endif
