// The processor-architecture subdirectories of the distribution share, chosen
// by the value of PROCESSOR_ARCHITECTURE. Pure text: no windows.h.
#pragma once

// The value taken when PROCESSOR_ARCHITECTURE is not set on Windows 95.
extern const char kWindows95Architecture[];  // "x86"

// The subdirectory ("I386\", "MIPS\", "ALPHA\", "PPC\") for `value`, or null.
// The first four bytes are compared case-sensitively, the terminating zero
// included: "x86" and "PPC" must end there, while any value beginning with
// "MIPS" or "ALPH" matches. Null and "" have no subdirectory.
const char* ArchitectureSubdirectory(const char* value);
