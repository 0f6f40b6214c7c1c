// The x86 PC the shipped program is made for, as far as the test PC is one: 32-bit Wine is one. 64-bit Wine
// reports PROCESSOR_ARCHITECTURE AMD64 to the x86_64 build, so only there does X86Processor supply x86 (for
// the share's I386 directory), and its spooler refuses printers on "Windows NT x86" drivers (87), so tests
// of such printers skip there: if (!tst::X86Spooler()) GTEST_SKIP() << tst::kNoX86Spooler;
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

// For its scope PROCESSOR_ARCHITECTURE is x86; afterwards what it was before.
class X86Processor {
public:
    X86Processor() : had_(std::getenv(kVariable) != nullptr), saved_(had_ ? std::getenv(kVariable) : "") {
#ifdef _WIN64
        _putenv_s(kVariable, "x86");
#endif
    }
    ~X86Processor() { _putenv_s(kVariable, had_ ? saved_.c_str() : ""); }  // "" removes it
    X86Processor(const X86Processor&) = delete;
    X86Processor& operator=(const X86Processor&) = delete;

private:
    static constexpr const char* kVariable = "PROCESSOR_ARCHITECTURE";
    bool had_;
    std::string saved_;
};

// True when the spooler's own driver directory is ...\w32x86 ("Windows NT x86").
inline bool X86Spooler() {
    char directory[MAX_PATH] = "";
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof directory, &needed);
    std::string path = directory;
    return path.size() >= 7 && _stricmp(path.c_str() + path.size() - 7, "\\w32x86") == 0;
}

inline constexpr char kNoX86Spooler[] =
    "64-bit Wine makes no printer on a \"Windows NT x86\" driver; the i686 build's tests run this under 32-bit Wine";

}  // namespace tst
