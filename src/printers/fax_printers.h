// The fax printers: installing them from the distribution share and taking
// them off the PC again.
#pragma once

// The two printers, as the client and the questions name them.
extern const char kMultisendPrinterName[];  // "Telmora Multisend Printer"
extern const char kFaxPrinterName[];        // "Telmora Printer"

// Installs the fax printers from `distributionDirectory`, spooling into
// `logArea`. 1 when installed or the user chose to go on after an error.
int InstallFaxPrinters(const char* distributionDirectory, const char* logArea);

// Removes the fax printers. 0 when on Windows NT the user declined stopping
// the print spooler.
int RemoveFaxPrinters(const char* logArea);
