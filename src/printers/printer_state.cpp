// The printer work's run-wide record: its start state, with the registry
// tables as shipped, and the reset that returns to it.
#include "printers/printer_state.h"

#include <cstddef>

#include "common/bounded_text.h"

PrinterRunState g_printers;

namespace {

// The fax printer's settings as shipped: a reinstallation loads what the
// registry holds over them, so the user's settings are kept.
const RegValueEntry kPrinterSettingsAtStart[kPrinterSettingsValueCount] = {
    {"Fax Dialog Loc", 0, REG_SZ, "C:\\FAX_DLG.EXE"},
    {"Logfile", 0, REG_SZ, "C:\\temp\\faxdll.log"},
    {"Output Directory", 0, REG_SZ, "C:\\temp\\"},
    {"Debug Flag", 0, REG_DWORD, "0"},
    {"Erase Log Flag", 0, REG_DWORD, "0"},
    {"File Type", 0, REG_SZ, "TIFF Group 3"},
    {"MPPF Flag", 0, REG_DWORD, "0x1"},
    {"Output Prefix", 0, REG_SZ, "QVTL"},
    {"Reverse Fill Flag", 0, REG_DWORD, "0x1"},
    {"Color Mode", 0, REG_SZ, "Color - Dither from 256 Colors"},
    {"Dither Pattern", 0, REG_SZ, "Big 8x8 (65 shades)"},
    {"Gray Intensity", 0, REG_DWORD, "0x32"},
    {"Driver Timeout", 0, REG_DWORD, "0xE10"},
    {"Permission", 0, REG_DWORD, "1"},
};

// The port's value; its name is replaced by the port name before each use.
const RegValueEntry kPortValueAtStart = {"FAX", 0, REG_SZ, ""};

const char kPrinterSettingsPathAtStart[] =
    "HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Control/Print/Printers/Telmora Printer/PrinterDriverData";
const char kNt351PortPath[] = "HKEY_LOCAL_MACHINE/SOFTWARE/Microsoft/Windows NT/CurrentVersion/Ports";
const char kNt40PortPathAtStart[] =
    "HKEY_LOCAL_MACHINE/System/CurrentControlSet/Control/Print/Monitors/Fax Monitor Port/Ports";

// A one-key table of `path` over `values`; the entries behind it stay empty
// and end the table.
void StartTable(RegKeyTable (&table)[2], const char* path, RegValueEntry* values) {
    text::Copy(table[0].path, path);
    table[0].values = values;
}

// The start state is set before main() runs: the tables point into the
// record itself, so it cannot be given as a copy.
struct StartStateSetter {
    StartStateSetter() { ResetPrinterRunState(); }
};
const StartStateSetter kStartState;

}  // namespace

void ResetPrinterRunState() {
    g_printers = PrinterRunState();
    for (std::size_t i = 0; i < kPrinterSettingsValueCount; ++i) {
        g_printers.printerSettingsValues[i] = kPrinterSettingsAtStart[i];
    }
    g_printers.nt351PortValues[0] = kPortValueAtStart;
    g_printers.nt40PortValues[0] = kPortValueAtStart;
    StartTable(g_printers.printerSettingsTable, kPrinterSettingsPathAtStart, g_printers.printerSettingsValues);
    StartTable(g_printers.nt351PortTable, kNt351PortPath, g_printers.nt351PortValues);
    StartTable(g_printers.nt40PortTable, kNt40PortPathAtStart, g_printers.nt40PortValues);
}
