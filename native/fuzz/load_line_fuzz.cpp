// Fuzz target of the WIN.INI load= line: the matcher that finds the client's
// element and the rebuild that cuts the client out and puts its program back.
// The input is the line as WIN.INI gives it (cut to 200 characters and upper
// case, as the program reads it) and, for the matcher, also the whole text
// uncut. Matcher and removal must agree with a plain model of the rules; the
// removal must leave no client element and every other byte; the appended
// program must never be cut, and a short field must hold the result's start.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/load_list.h"
#include "desktop/load_line.h"
#include "fuzz_support.h"

namespace {

const std::size_t kSmallFieldSizes[] = {1, 2, 5, 30};

// 1 when the first occurrence of `name` in the element starts a name there.
int ModelElementNames(const std::string& element, const std::string& name) {
    std::size_t found = element.find(name);
    return found != std::string::npos && (found == 0 || !fuzz::IsLetterOrDigit(element[found - 1]));
}

int ModelIsClient(const std::string& element) {
    return ModelElementNames(element, "TELMORA.EXE") || ModelElementNames(element, "TELMORA");
}

// Each element with the comma that follows it (the last one has none).
std::vector<std::string> ElementsWithCommas(const std::string& list) {
    std::vector<std::string> elements;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t comma = list.find(',', start);
        std::size_t end = comma == std::string::npos ? list.size() : comma + 1;
        elements.push_back(list.substr(start, end - start));
        start = end;
    }
    return elements;
}

long ModelFind(const std::string& list) {
    std::size_t offset = 0;
    for (const std::string& element : ElementsWithCommas(list)) {
        std::string name = element.back() == ',' ? element.substr(0, element.size() - 1) : element;
        if (ModelIsClient(name)) return static_cast<long>(offset);
        offset += element.size();
    }
    return -1;
}

std::string ModelRemove(const std::string& list) {
    std::string kept;
    for (const std::string& element : ElementsWithCommas(list)) {
        std::string name = element.back() == ',' ? element.substr(0, element.size() - 1) : element;
        if (!ModelIsClient(name)) kept += element;
    }
    if (!kept.empty() && kept.back() == ',') kept.pop_back();
    return kept;
}

void CheckFind(const std::string& list) {
    fuzz::CText text(list);
    const char* found = FindClientInLoadList(text.Get());
    FUZZ_CHECK((found ? found - text.Get() : -1) == ModelFind(list));
}

std::string Appended(const std::string& list, const std::string& directory) {
    return list + (list.empty() ? "" : ",") + directory + "TELMORA.EXE";
}

void CheckAppend(const std::string& list, const std::string& directory) {
    char line[kLoadLineSize];
    std::memcpy(line, list.c_str(), list.size() + 1);
    AppendClientProgram(line, sizeof line, directory.c_str());
    std::string expected = Appended(list, directory);
    FUZZ_CHECK(line == expected);

    for (std::size_t size : kSmallFieldSizes) {
        if (list.size() >= size) continue;  // the list itself must fit its field
        fuzz::Field field(size);
        std::memcpy(field.Get(), list.c_str(), list.size() + 1);
        AppendClientProgram(field.Get(), size, directory.c_str());
        FUZZ_CHECK(field.IsTerminated());
        FUZZ_CHECK(expected.compare(0, std::strlen(field.Get()), field.Get()) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text = fuzz::TextOf(data, size);
    CheckFind(text);

    std::string list = fuzz::UpperText(text.substr(0, kLoadLineReadSize - 1));
    CheckFind(list);

    char line[kLoadLineSize];
    std::memcpy(line, list.c_str(), list.size() + 1);
    RemoveClientElements(line);
    std::string removed = line;
    FUZZ_CHECK(removed == ModelRemove(list));
    FUZZ_CHECK(FindClientInLoadList(line) == nullptr);

    for (const std::string& directory : {std::string("D:\\NEW\\"), std::string(), fuzz::LongDirectory(271)}) {
        CheckAppend(removed, directory);
    }
    AppendClientProgram(line, sizeof line, nullptr);
    FUZZ_CHECK(line == Appended(removed, ""));
    return 0;
}
