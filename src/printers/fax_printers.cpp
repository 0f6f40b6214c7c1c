// The fax printers: installing them from the distribution share. The common
// start of the installation is here; the Windows NT and the other Windows
// branches follow in nt_printers.cpp and win95_printers.cpp, the removal in
// printer_removal.cpp.
#include "printers/fax_printers.h"

#include "common/windows_version.h"
#include "printers/nt_printers.h"
#include "printers/win95_printers.h"
#include "ui/messages.h"
#include "ui/resource_ids.h"

const char kMultisendPrinterName[] = "Telmora Multisend Printer";
const char kFaxPrinterName[] = "Telmora Printer";

int InstallFaxPrinters(const char* distributionDirectory, const char* logArea) {
    ShowProgress(IDS_PREPARING_INSTALL, kPrinterGroupName);
    HCURSOR previousCursor = SetWaitCursor();
    char spoolPath[kSpoolPathSize];
    FormSpoolPath(logArea, spoolPath);
    if (IsWindowsNT()) return InstallNtFaxPrinters(distributionDirectory, logArea, spoolPath, previousCursor);

    char port[kSpoolPathSize];
    FormFaxPort(logArea, spoolPath, port);
    return InstallWin95FaxPrinters(distributionDirectory, logArea, spoolPath, port, previousCursor);
}
