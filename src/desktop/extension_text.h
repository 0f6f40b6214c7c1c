// The fax graphics extensions and the texts their registration is made of:
// the extensions, the three verbs with their arguments, the key paths, the
// command lines and the WIN.INI [Extensions] entries. Pure text: no windows.h.
#pragma once

#include <cstddef>

enum : int {
    kFaxExtensionCount = 3,
    kExtensionVerbCount = 3,
    // Longest texts a verb registration takes, without the terminator: one less.
    kProgramPathLimit = 269,
    kExtensionLimit = 5,
    kKeyPathLimit = 257,
    kArgumentsLimit = 33,
    // "<program path> <arguments>" and "<program path> ^<extension>".
    kVerbCommandSize = kProgramPathLimit + kArgumentsLimit,
    kExtensionsEntrySize = kProgramPathLimit + 2 + kExtensionLimit,
};

// ".G3F", ".G3N", ".G3S".
extern const char* const kFaxExtensions[kFaxExtensionCount];

struct ExtensionVerb {
    const char* name;       // "open", "print", "printto"
    const char* arguments;  // "%1", "/P %1", "/P %1 /S %2"
};
extern const ExtensionVerb kExtensionVerbs[kExtensionVerbCount];

// The arguments of the open verb, the one written to [Extensions] as well.
extern const char kOpenArguments[];

// 1 when every text is shorter than its limit above.
int VerbFitsLimits(const char* programPath, const char* extension, const char* keyPath, const char* arguments);

// "<extension>\shell\<verb>\command" into target[0..size).
void FormatVerbKeyPath(char* target, std::size_t size, const char* extension, const char* verb);

// "<program path> <arguments>", the default value of a verb's command key.
void FormatVerbCommand(char* target, std::size_t size, const char* programPath, const char* arguments);

// "<program path> ^<extension>", the value of the [Extensions] entry.
void FormatExtensionsEntry(char* target, std::size_t size, const char* programPath, const char* extension);

// The [Extensions] key of an extension: the extension without its dot.
const char* ExtensionsEntryKey(const char* extension);

// Cuts `path` at its last backslash ("A\B\C" becomes "A\B"). 0 when it has none.
int CutAtLastBackslash(char* path);
