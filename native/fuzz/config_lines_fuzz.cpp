// Fuzz target of the TELMORA.INI line reader, any bytes as a file: at every buffer width each line is clean
// (no control character, no trailing blank) and terminated; the counting reader gives the same lines and
// accounts for every byte; the lines without Ctrl-Z (which a copy drops) copied verbatim read back the same;
// tokens end inside the line; a search finds a line of that name or leaves the file where it stood.
#include "common/bounded_text.h"
#include "common/config_lines.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (int width : {1, 2, 201, 281}) {
        tbl::ByteFile file(bytes), again(bytes), copy;
        std::vector<std::string> copied;
        fuzz::Text line(width), counted(width), kept(width), reread(width);
        long position = 0;
        while (ReadConfigLine(file.file, line.Get(), width, nullptr)) {
            std::size_t length = std::strlen(line.Get());
            FUZZ_CHECK(line.Terminated() && (length == 0 || line.Get()[length - 1] != ' '));
            for (const char* c = line.Get(); *c; ++c) FUZZ_CHECK(static_cast<unsigned char>(*c) >= 32 && *c != 127);
            for (const char* next = line.Get(); next;) {
                short tokenLength = -1;
                const char* token = NextToken(next, &tokenLength, &next);
                FUZZ_CHECK(tokenLength >= 0 && token + tokenLength <= line.Get() + length && (!next || next > token));
            }
            long count = ReadConfigLineBytes(again.file, counted.Get(), width, kept.Get());
            FUZZ_CHECK(count > 0 && !std::strcmp(line.Get(), counted.Get()));
            position += count;
            if (count > width || std::memchr(kept.Get(), 26, static_cast<std::size_t>(count))) continue;
            WriteLineBytes(copy.file, kept.Get(), count);
            copied.push_back(line.Get());
        }
        FUZZ_CHECK(position == static_cast<long>(size));
        std::rewind(copy.file);
        for (const std::string& each : copied) {
            FUZZ_CHECK(ReadConfigLine(copy.file, reread.Get(), width, nullptr) && each == reread.Get());
        }
    }
    for (const char* name : {"[SERVER]", "[WORKSTATION-1]", static_cast<const char*>(nullptr)}) {
        tbl::ByteFile file(bytes);
        char line[201];
        long section = -1;
        if (!FindSection(file.file, name, line, sizeof line, &section)) {
            FUZZ_CHECK(line[0] == '\0' && std::ftell(file.file) == 0);
        } else if (FindKey(file.file, "UserArea:", line, sizeof line, section)) {
            FUZZ_CHECK(IsSettingLine(line) && text::StartsWithNoCase(line, "UserArea:"));
        } else {
            FUZZ_CHECK(line[0] == '\0' && std::ftell(file.file) == section);
        }
    }
    return 0;
}
