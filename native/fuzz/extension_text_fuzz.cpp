// Fuzz target of the texts of the fax extensions' registration: the input
// is split at '|' into a program path, an extension and arguments. The
// length test must agree with the limits; the key path, the command line and
// the [Extensions] value must be the model's text cut to their field, never
// cut at all when the parts pass the length test; the entry key and the cut
// at the last backslash must keep to their rules.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "desktop/extension_text.h"
#include "fuzz_support.h"

namespace {

const std::size_t kSmallFieldSizes[] = {1, 4, 16};

template <typename Form>
void CheckFormatted(const std::string& expected, std::size_t fieldSize, int mustFit, Form form) {
    std::vector<std::size_t> sizes(std::begin(kSmallFieldSizes), std::end(kSmallFieldSizes));
    sizes.push_back(fieldSize);
    for (std::size_t size : sizes) {
        fuzz::Field target(size);
        form(target.Get(), size);
        FUZZ_CHECK(target.IsTerminated());
        FUZZ_CHECK(target.Text() == expected.substr(0, size - 1));
    }
    if (mustFit) FUZZ_CHECK(expected.size() < fieldSize);
}

int Below(const std::string& text, std::size_t limit) { return text.size() < limit; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts = fuzz::Pieces(fuzz::TextOf(data, size), '|', 3);
    const std::string& program = parts[0];
    const std::string& extension = parts[1];
    const std::string& arguments = parts[2];
    fuzz::CText programText(program);
    fuzz::CText extensionText(extension);
    fuzz::CText argumentsText(arguments);

    std::string keyPath = extension + "\\shell\\open\\command";
    fuzz::CText keyPathText(keyPath);
    int fits = VerbFitsLimits(programText.Get(), extensionText.Get(), keyPathText.Get(), argumentsText.Get());
    FUZZ_CHECK(fits == (Below(program, kProgramPathLimit) && Below(extension, kExtensionLimit) &&
                        Below(keyPath, kKeyPathLimit) && Below(arguments, kArgumentsLimit)));
    FUZZ_CHECK(!VerbFitsLimits(nullptr, extensionText.Get(), keyPathText.Get(), argumentsText.Get()));

    CheckFormatted(keyPath, kKeyPathLimit, fits, [&](char* target, std::size_t n) {
        FormatVerbKeyPath(target, n, extensionText.Get(), "open");
    });
    CheckFormatted(program + " " + arguments, kVerbCommandSize, fits, [&](char* target, std::size_t n) {
        FormatVerbCommand(target, n, programText.Get(), argumentsText.Get());
    });
    CheckFormatted(program + " ^" + extension, kExtensionsEntrySize, fits, [&](char* target, std::size_t n) {
        FormatExtensionsEntry(target, n, programText.Get(), extensionText.Get());
    });

    const char* key = ExtensionsEntryKey(extensionText.Get());
    FUZZ_CHECK(key == extensionText.Get() + (!extension.empty() && extension[0] == '.' ? 1 : 0));
    FUZZ_CHECK(ExtensionsEntryKey(nullptr) == nullptr);

    // Cutting a path at its backslashes one by one ends with no backslash left.
    fuzz::CText path(program);
    std::string expected = program;
    while (CutAtLastBackslash(path.Get())) {
        std::size_t last = expected.rfind('\\');
        FUZZ_CHECK(last != std::string::npos);
        expected.resize(last);
        FUZZ_CHECK(path.Get() == expected);
    }
    FUZZ_CHECK(expected.find('\\') == std::string::npos);
    FUZZ_CHECK(!CutAtLastBackslash(nullptr));
    return 0;
}
