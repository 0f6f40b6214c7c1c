// The texts of the fax graphics extensions' registration. Pure text: no
// windows.h.
#include "desktop/extension_text.h"

#include <cstdarg>
#include <cstring>

#include "common/bounded_text.h"

const char* const kFaxExtensions[kFaxExtensionCount] = {".G3F", ".G3N", ".G3S"};

const char kOpenArguments[] = "%1";

const ExtensionVerb kExtensionVerbs[kExtensionVerbCount] = {
    {"open", kOpenArguments},
    {"print", "/P %1"},
    {"printto", "/P %1 /S %2"},
};

namespace {

const char kVerbKeyPathFormat[] = "%s\\shell\\%s\\command";
const char kVerbCommandFormat[] = "%s %s";
const char kExtensionsEntryFormat[] = "%s ^%s";
const char kExtensionDot = '.';
const char kBackslash = '\\';

int Below(const char* value, std::size_t limit) { return value && std::strlen(value) < limit; }

void FormatInto(char* target, std::size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    text::FormatListInto(target, size, format, args);
    va_end(args);
}

}  // namespace

int VerbFitsLimits(const char* programPath, const char* extension, const char* keyPath, const char* arguments) {
    return Below(programPath, kProgramPathLimit) && Below(extension, kExtensionLimit) &&
           Below(keyPath, kKeyPathLimit) && Below(arguments, kArgumentsLimit);
}

void FormatVerbKeyPath(char* target, std::size_t size, const char* extension, const char* verb) {
    FormatInto(target, size, kVerbKeyPathFormat, extension, verb);
}

void FormatVerbCommand(char* target, std::size_t size, const char* programPath, const char* arguments) {
    FormatInto(target, size, kVerbCommandFormat, programPath, arguments);
}

void FormatExtensionsEntry(char* target, std::size_t size, const char* programPath, const char* extension) {
    FormatInto(target, size, kExtensionsEntryFormat, programPath, extension);
}

const char* ExtensionsEntryKey(const char* extension) {
    return extension && extension[0] == kExtensionDot ? extension + 1 : extension;
}

int CutAtLastBackslash(char* path) {
    char* last = path ? std::strrchr(path, kBackslash) : nullptr;
    if (!last) return 0;
    *last = '\0';
    return 1;
}
