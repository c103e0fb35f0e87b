// Everything an installation of the product leaves in the prefix, so that
// tests can start from a machine that never saw it and leave none behind.
#ifndef NIMBALUNE_PRODUCT_STATE_H
#define NIMBALUNE_PRODUCT_STATE_H

#include <string>

namespace nldriver {

// Removes the product's win.ini section, installation folders on C: and D:,
// uninstall entry, shortcuts, group file and group registration.
void ForgetProduct();
// Closes the windows the installation opens in other programs: the product
// stand-in, Explorer folder windows and read-me windows.
void CloseProductWindows();

} // namespace nldriver

#endif
