// The x86 PC the shipped program is made for, as far as the test PC is one.
//
// A 32-bit test executable runs under 32-bit Wine, which reports
// PROCESSOR_ARCHITECTURE x86 as a real 32-bit PC does, and whose spooler
// serves "Windows NT x86" as its own environment. 64-bit Wine reports AMD64
// to the x86_64 build's tests and programs, so only there do these supply
// x86 (for the share's I386 directory); and its spooler refuses printers on
// "Windows NT x86" drivers (87), so tests of such printers skip there.
//
//   tst::X86Processor x86;    // in-process: for the scope, put back afterwards
//   child.Start(exe, "", tst::X86ChildEnvironment());
//   if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
#pragma once

#include <windows.h>
#include <winspool.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tst {

// The "NAME=value" entries a child STNIN32.EXE gets added to its environment.
inline std::vector<std::string> X86ChildEnvironment() {
#ifdef _WIN64
    return {"PROCESSOR_ARCHITECTURE=x86"};
#else
    return {};
#endif
}

// For its scope PROCESSOR_ARCHITECTURE is x86; afterwards it is what it was
// before, also when a test changed it in between.
class X86Processor {
public:
    X86Processor() {
        const char* value = std::getenv(kVariable);
        had_ = value != nullptr;
        saved_ = value ? value : "";
#ifdef _WIN64
        _putenv_s(kVariable, "x86");
#endif
    }
    ~X86Processor() { _putenv_s(kVariable, had_ ? saved_.c_str() : ""); }  // "" removes it

    X86Processor(const X86Processor&) = delete;
    X86Processor& operator=(const X86Processor&) = delete;

private:
    static constexpr const char* kVariable = "PROCESSOR_ARCHITECTURE";
    std::string saved_;
    bool had_ = false;
};

// True when the spooler's own environment is "Windows NT x86" (its driver
// directory is ...\w32x86), so that it makes printers on the kits' drivers.
inline bool X86Spooler() {
    char directory[MAX_PATH] = "";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof directory,
                                    &needed)) {
        return false;
    }
    std::string path = directory;
    const std::string x86 = "\\w32x86";
    return path.size() >= x86.size() && _stricmp(path.c_str() + path.size() - x86.size(), x86.c_str()) == 0;
}

inline constexpr char kNoX86Spooler[] =
    "64-bit Wine makes no printer on a \"Windows NT x86\" driver; the i686 build's tests run this under 32-bit Wine";

}  // namespace tst
