// A record of everything on the Wine PC that the setup program can touch, and
// the difference between two such records. It needs no test framework.
//
// What is recorded (chosen from what the program writes, not the whole PC):
//   files     every top-level directory of C:\ except Wine's own (windows,
//             users, ProgramData, Program Files...) and C:\ itself, to any
//             depth; C:\windows and C:\windows\system32 without their
//             subdirectories; C:\windows\system and C:\windows\system32\spool
//             to any depth; the Start Menu program folders of the user and of
//             all users. A file by its size and a hash of its bytes, a
//             profile file (*.INI) by its size and its lines (and
//             "read-only"), a directory by its name.
//   registry  every key and value below the keys the program writes: the
//             uninstall list, the fax graphics extensions, the per-user WIN.INI
//             mappings (Windows, Extensions, Devices, PrinterPorts), the ports
//             list and the spooler's Print key (printers, drivers, processors,
//             monitors).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tst {

struct Change {
    char mark = '~';     // '+' added, '-' removed, '~' changed
    std::string kind;    // "file", "directory", "key", "value"
    std::string name;    // full name, e.g. "C:\windows\TELMORA.EXE"
    std::string before;  // what the item held before ('-', '~')
    std::string after;   // what it holds now ('+', '~')

    // "+ file C:\windows\TELMORA.EXE": mark, kind and name only.
    std::string Line() const;
    // Line() followed by ": " and what the item holds, or held " -> " holds for '~'.
    std::string Describe() const;
};

class Snapshot {
public:
    static Snapshot Take();

    // What differs in `later`, sorted by kind and name; names are compared
    // without regard to case, as Windows compares them.
    std::vector<Change> ChangesTo(const Snapshot& later) const;

    void Add(const std::string& kind, const std::string& name, const std::string& content);

private:
    struct Item {
        std::string kind, name, content;
    };
    std::map<std::string, Item> items_;  // by upper-cased "kind name"
};

// Every change described on a line of its own ("" when there is none).
std::string DescribeChanges(const std::vector<Change>& changes);

}  // namespace tst
