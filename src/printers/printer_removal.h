// Taking the fax printers off the PC: the steps of the removal on Windows NT.
// RemoveFaxPrinters itself is declared with the installation in
// printers/fax_printers.h.
#pragma once

// Deletes the fax printer with its driver, print processor, monitor and the
// files it put in the SYSTEM directory; on Windows NT 3.51 also its port in
// the profile section "ports". Needs a successful PrepareNtFaxPrinter first.
// 0 after showing what failed.
int RemoveFaxPrinterNt(const char* portName, const char* printerName);

// Deletes the printer `printerName` (a missing one is fine, and on NT 4.0 one
// that refuses access too) and then its driver. 0 when the printer exists but
// cannot be deleted. No printer name: nothing to do, 1.
int RemovePrinterAndDriver(const char* printerName);

// Deletes the fax dialog program and the fax library (under both its names)
// from the SYSTEM directory. 0 after error IDS_CANNOT_DELETE_FILE for a file
// that exists but cannot be deleted.
int DeleteFaxSystemFiles();
