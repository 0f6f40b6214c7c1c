// A record of everything on the Wine PC that the setup program can touch, and
// the difference between two such records, for the lifecycle tests and the
// lifecycle demo. It needs no test framework.
//
// What is recorded (chosen from what the program writes, not the whole PC):
//   files      C:\ itself, and every top-level directory of C:\ except Wine's own
//              (windows, users, ProgramData, Program Files...), to any depth: a new
//              log area or program directory shows up wherever it is made;
//              C:\windows and C:\windows\system32 without their subdirectories
//              (the Windows and SYSTEM directories: client, libraries, printer
//              files); C:\windows\system (the 16-bit system directory) and
//              C:\windows\system32\spool (printer driver and processor
//              directories) to any depth; the Start Menu program folders of the
//              user and of all users (Program Manager groups), to any depth.
//              A file is recorded with its size, its last write time and, up to
//              1 MiB, a hash of its bytes; a directory by its name only.
//   text files WIN.INI and SYSTEM.INI by their sections and entries, AUTOEXEC.BAT
//              by its lines, so that a rewrite with the same content is no change.
//   registry   every key and value below the keys the program writes: the
//              uninstall list, the fax graphics extensions and the classes they
//              name, the per-user WIN.INI mappings (Windows with its load line,
//              Extensions, Devices, PrinterPorts), Software\Norvale of every
//              user, the ports list and the spooler's Print key (printers,
//              drivers, processors, monitors).
//   spooler    the printers and printer drivers as the spooler reports them:
//              "printer NAME" with its port, driver, print processor, data
//              type, attributes and priority; "driver ENVIRONMENT\NAME" with
//              its version and its driver, data and configuration files.
//
//   tst::Snapshot before = tst::Snapshot::Take();
//   ... run the program ...
//   std::vector<tst::Change> changes = before.ChangesTo(tst::Snapshot::Take());
//   for (const tst::Change& c : changes) puts(c.Describe().c_str());
//       // "+ file C:\windows\TELMORA.EXE: size 28672, time ..., hash ..."
//       // "- key HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Telmora Workstation"
//       // "~ value HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows\load: REG_SZ \"\" -> REG_SZ \"C:\\...\""
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tst {

// One difference between two records.
struct Change {
    char mark = '~';     // '+' added, '-' removed, '~' changed
    std::string kind;    // "file", "directory", "key", "value", "ini", "line", "printer", "driver"
    std::string name;    // full name, e.g. "C:\windows\TELMORA.EXE"
    std::string parent;  // a value's key, an ini entry's or a line's file; "" otherwise
    std::string before;  // what the item held before ('-', '~')
    std::string after;   // what it holds now ('+', '~')

    // "+ file C:\windows\TELMORA.EXE": mark, kind and name only.
    std::string Line() const;
    // Line() followed by what the item holds, or held and holds for '~'.
    std::string Describe() const;
};

class Snapshot {
public:
    // Records the PC as it is now.
    static Snapshot Take();

    // What differs in `later`, sorted by kind and name; names are compared
    // without regard to case, as Windows compares them.
    std::vector<Change> ChangesTo(const Snapshot& later) const;

    // The number of items recorded.
    size_t Size() const { return items_.size(); }

    // Records one item; the recorders of snapshot.cpp use it.
    void Add(const std::string& kind, const std::string& name, const std::string& content,
             const std::string& parent = "");

private:
    struct Item {
        std::string kind;
        std::string name;
        std::string content;
        std::string parent;
    };
    std::map<std::string, Item> items_;  // by upper-cased "kind name"
};

// The lines of the changes (Change::Line), in their order.
std::vector<std::string> ChangeLines(const std::vector<Change>& changes);

// Every change described on a line of its own ("" when there is none).
std::string DescribeChanges(const std::vector<Change>& changes);

// Takes away what the changes added: files, directories (with what is in
// them), registry keys (with their subkeys) and values, printers and printer
// drivers. Entries of the text
// files are left alone. Returns the lines (Change::Line) of the additions
// that are still there afterwards.
std::vector<std::string> RemoveAdditions(const std::vector<Change>& changes);

}  // namespace tst
