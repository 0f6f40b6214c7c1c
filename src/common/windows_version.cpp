// Windows version tests. GetVersion(): low byte the major version, second
// byte the minor version, top bit set on Windows 95 and Win32s.
#include "common/windows_version.h"

#include <windows.h>

namespace {

const DWORD kNotNtBit = 0x80000000u;
const DWORD kMajorFour = 4;
const DWORD kMajorThree = 3;
const DWORD kMinorFiftyOne = 51;

DWORD MajorVersion(DWORD version) { return version & 0xFFu; }
DWORD MinorVersion(DWORD version) { return (version >> 8) & 0xFFu; }

}  // namespace

int IsWindowsNT() { return GetVersion() < kNotNtBit ? 1 : 0; }

int IsWindows95() {
    return MajorVersion(GetVersion()) == kMajorFour && !IsWindowsNT() ? 1 : 0;
}

int IsVersion4() { return MajorVersion(GetVersion()) == kMajorFour ? 1 : 0; }

int IsWindowsNT351() {
    DWORD version = GetVersion();
    return MajorVersion(version) == kMajorThree && MinorVersion(version) == kMinorFiftyOne ? 1 : 0;
}
