// Registry value tables of the Windows NT fax printer: the path walk that
// opens or creates their keys, load, save and exists, and the paths of the
// three run-wide tables (printers/printer_state.h).
#include "printers/registry_tables.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "common/action_log.h"
#include "common/bounded_text.h"
#include "printers/printer_state.h"

namespace {

// Read and write access for every key the tables open or create.
const REGSAM kTableKeyAccess = KEY_READ | KEY_WRITE;

const char kPathSeparator = '/';

struct RootKey {
    const char* name;
    HKEY key;
};

const RootKey kRootKeys[] = {
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

// The predefined key named by the first component of `path`, and in `rest`
// what follows its separator (empty when nothing does); null when the name
// is not one of the four roots.
HKEY FindRootKey(const char* path, const char** rest) {
    const char* separator = std::strchr(path, kPathSeparator);
    std::size_t length = separator ? static_cast<std::size_t>(separator - path) : std::strlen(path);
    *rest = separator ? separator + 1 : path + length;
    for (const RootKey& root : kRootKeys) {
        if (std::strlen(root.name) == length && std::strncmp(root.name, path, length) == 0) {
            return root.key;
        }
    }
    return nullptr;
}

// Copies the next component of `*rest` into `component` and moves `*rest`
// past it and its separator. 0 when no component is left.
int NextComponent(const char** rest, char (&component)[kRegPathSize]) {
    while (**rest == kPathSeparator) ++*rest;
    if (**rest == '\0') return 0;
    const char* separator = std::strchr(*rest, kPathSeparator);
    std::size_t length = separator ? static_cast<std::size_t>(separator - *rest) : std::strlen(*rest);
    text::CopyPrefix(component, *rest, length);
    *rest += length;
    return 1;
}

LONG OpenSubkey(HKEY parent, const char* name, HKEY* key) {
    return RegOpenKeyExA(parent, name, 0, kTableKeyAccess, key);
}

// Creates `name` below `parent` so that everyone has full access to it.
LONG CreateOpenSubkey(HKEY parent, const char* name, HKEY* key) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};
    DWORD disposition = 0;
    return RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kTableKeyAccess,
                           &attributes, key, &disposition);
}

// Opens a handle of the root key itself, for a path that names only a root.
win::Key OpenRoot(HKEY root) {
    HKEY key = nullptr;
    LONG status = OpenSubkey(root, nullptr, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return win::Key();
    }
    return win::Key(key);
}

// Walks `path` one component at a time; `create` adds missing components.
// Opening only, a failure sets `*missing` and the deepest key is returned;
// creating, a failure other than "not found" ends the walk with no key.
win::Key WalkRegistryPath(const char* path, int create, int* missing) {
    const char* rest = nullptr;
    HKEY root = FindRootKey(path ? path : "", &rest);
    if (!root) {
        *missing = 1;
        SetLastError(ERROR_INVALID_DATA);
        return win::Key();
    }
    win::Key current;
    char component[kRegPathSize];
    while (NextComponent(&rest, component)) {
        HKEY parent = current.IsOpen() ? current.Get() : root;
        HKEY next = nullptr;
        LONG status = OpenSubkey(parent, component, &next);
        if (status == ERROR_FILE_NOT_FOUND && create) {
            status = CreateOpenSubkey(parent, component, &next);
        }
        if (status != ERROR_SUCCESS) {
            *missing = 1;
            SetLastError(static_cast<DWORD>(status));
            return create ? win::Key() : std::move(current);
        }
        current.Attach(next);
    }
    if (!current.IsOpen()) return OpenRoot(root);
    return current;
}

// Reads the value `entry` names into its data when the registry holds it
// with the entry's type and a non-zero size.
void LoadValue(HKEY key, RegValueEntry* entry) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, entry->name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        if (status != ERROR_FILE_NOT_FOUND) SetLastError(static_cast<DWORD>(status));
        return;
    }
    if (size == 0 || type != entry->type) return;

    BYTE buffer[kRegValueDataSize] = {};
    DWORD read = sizeof buffer;
    if (type == REG_DWORD) read = sizeof(DWORD);
    status = RegQueryValueExA(key, entry->name, nullptr, nullptr, buffer, &read);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return;
    }
    switch (type) {
    case REG_SZ:
        buffer[sizeof buffer - 1] = '\0';
        text::Copy(entry->data, reinterpret_cast<const char*>(buffer));
        break;
    case REG_BINARY:
        std::memcpy(entry->data, buffer, read);
        break;
    case REG_DWORD: {
        DWORD number = 0;
        std::memcpy(&number, buffer, sizeof number);
        text::Format(entry->data, "%ld", static_cast<long>(number));
        break;
    }
    default:
        break;
    }
}

// Writes the value `entry` describes; 1 when written (or of a type the
// tables do not write), 0 on failure.
int SaveValue(HKEY key, const RegValueEntry* entry) {
    LONG status = ERROR_SUCCESS;
    switch (entry->type) {
    case REG_SZ:
        status = RegSetValueExA(key, entry->name, 0, REG_SZ, reinterpret_cast<const BYTE*>(entry->data),
                                static_cast<DWORD>(std::strlen(entry->data) + 1));
        break;
    case REG_BINARY: {
        const DWORD maximum = kRegValueDataSize;
        DWORD size = entry->size < maximum ? entry->size : maximum;
        status = RegSetValueExA(key, entry->name, 0, REG_BINARY,
                                reinterpret_cast<const BYTE*>(entry->data), size);
        break;
    }
    case REG_DWORD: {
        int number = 0;
        std::sscanf(entry->data, "%i", &number);
        DWORD value = static_cast<DWORD>(number);
        status = RegSetValueExA(key, entry->name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value);
        break;
    }
    default:
        return 1;
    }
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return 0;
    }
    return 1;
}

int IsKnownType(DWORD type) { return type == REG_SZ || type == REG_BINARY || type == REG_DWORD; }

}  // namespace

const char kPrinterSettingsPathFormat[] =
    "HKEY_LOCAL_MACHINE/SYSTEM/CurrentControlSet/Control/Print/Printers/%s/PrinterDriverData";
const char kNt40PortPathFormat[] = "HKEY_LOCAL_MACHINE/System/CurrentControlSet/Control/Print/Monitors/%s/Ports";

win::Key OpenRegistryPath(const char* path, int* missing) {
    int ignored = 0;
    return WalkRegistryPath(path, 0, missing ? missing : &ignored);
}

win::Key CreateRegistryPath(const char* path) {
    int missing = 0;
    return WalkRegistryPath(path, 1, &missing);
}

void LoadRegistryTable(RegKeyTable* table, int createKeys) {
    for (RegKeyTable* keyEntry = table; keyEntry->path[0] != '\0'; ++keyEntry) {
        int missing = 0;
        win::Key key = createKeys ? CreateRegistryPath(keyEntry->path) : OpenRegistryPath(keyEntry->path, &missing);
        if (!key.IsOpen() || missing) continue;
        for (RegValueEntry* value = keyEntry->values; value->name[0] != '\0'; ++value) {
            if (IsKnownType(value->type)) LoadValue(key, value);
        }
    }
}

int SaveRegistryTable(RegKeyTable* table) {
    int result = 1;
    for (RegKeyTable* keyEntry = table; keyEntry->path[0] != '\0'; ++keyEntry) {
        win::Key key = CreateRegistryPath(keyEntry->path);
        int values = 0;
        int failed = 0;
        for (RegValueEntry* value = keyEntry->values; value->name[0] != '\0'; ++value, ++values) {
            if (!key.IsOpen() || !SaveValue(key, value)) ++failed;
        }
        LogAction(kLogRegistry, failed ? "%s: %d values written, %d could not be" : "%s: %d values written",
                  keyEntry->path, values - failed, failed);
        if (failed) result = 0;
    }
    return result;
}

int RegistryTableExists(RegKeyTable* table) {
    int result = 1;
    for (RegKeyTable* keyEntry = table; keyEntry->path[0] != '\0'; ++keyEntry) {
        int missing = 0;
        win::Key key = OpenRegistryPath(keyEntry->path, &missing);
        if (missing || !key.IsOpen()) {
            result = 0;
            continue;
        }
        for (RegValueEntry* value = keyEntry->values; value->name[0] != '\0'; ++value) {
            if (!IsKnownType(value->type)) continue;
            if (RegQueryValueExA(key, value->name, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                result = 0;
            }
        }
    }
    return result;
}

void SetPrinterSettingsPath(const char* printerName) {
    text::Format(g_printers.printerSettingsTable[0].path, kPrinterSettingsPathFormat, printerName);
}

RegKeyTable* PreparePortTable(int version, const char* portName, const char* monitorName) {
    RegKeyTable* table = nullptr;
    if (version == kNtVersion351) {
        table = g_printers.nt351PortTable;
    } else if (version == kNtVersion40) {
        table = g_printers.nt40PortTable;
        text::Format(table[0].path, kNt40PortPathFormat, monitorName ? monitorName : "");
    } else {
        return nullptr;
    }
    text::Copy(table[0].values[0].name, portName);
    return table;
}

RegValueEntry* FindRegistryValue(RegKeyTable* table, const char* name) {
    if (!table || table[0].path[0] == '\0') return nullptr;
    for (RegValueEntry* value = table[0].values; value->name[0] != '\0'; ++value) {
        if (std::strcmp(value->name, name) == 0) return value;
    }
    return nullptr;
}

int SetRegistryValueText(RegKeyTable* table, const char* name, const char* newText) {
    RegValueEntry* value = FindRegistryValue(table, name);
    if (!value) return 0;
    text::Copy(value->data, newText);
    return 1;
}
