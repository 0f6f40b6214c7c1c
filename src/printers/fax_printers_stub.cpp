// The fax printers while the printer code is switched off in the build
// (TELMORA_FAX_PRINTERS OFF): nothing is installed or removed and the
// workflows go on. The real code is in the other files of this folder.
#include "printers/fax_printers.h"

const char kMultisendPrinterName[] = "Telmora Multisend Printer";
const char kFaxPrinterName[] = "Telmora Printer";

int InstallFaxPrinters(const char*, const char*) { return 1; }

int RemoveFaxPrinters(const char*) { return 1; }
