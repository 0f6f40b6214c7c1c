// The processor-architecture subdirectories of the distribution share, chosen
// by the value of PROCESSOR_ARCHITECTURE: the table (architecture.cpp, pure
// text) and the look-up of a file in this PC's subdirectory
// (architecture_lookup.cpp). No windows.h here.
#pragma once

// The value taken when PROCESSOR_ARCHITECTURE is not set on Windows 95.
extern const char kWindows95Architecture[];  // "x86"

// The subdirectory ("I386\", "MIPS\", "ALPHA\", "PPC\") for `value`, or null.
// The first four bytes are compared case-sensitively, the terminating zero
// included: "x86" and "PPC" must end there, while any value beginning with
// "MIPS" or "ALPH" matches. Null and "" have no subdirectory.
const char* ArchitectureSubdirectory(const char* value);

// When `fileName` lies in this PC's processor subdirectory of `directory` (a
// field of kPathFieldSize bytes; an empty text stands for the current
// directory): appends that subdirectory to `directory`, with a backslash
// before it where one is missing, and returns 1. Otherwise returns 0 and
// leaves `directory` as it was. This PC's subdirectory is the one of
// PROCESSOR_ARCHITECTURE, which Windows 95 does not set: its processor is
// taken as kWindows95Architecture.
int FindArchitectureSubdirectory(char* directory, const char* fileName);
