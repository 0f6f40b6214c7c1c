// The numbered leftovers of the configuration file, deleted pattern by pattern.
#include "workflow/leftover_files.h"

#include "common/bounded_text.h"
#include "files/language_files.h"

namespace {

const char kLeftoverFormat[] = "TELMORA.%d*";
const int kLeftoverPatterns = 10;  // TELMORA.0* .. TELMORA.9*
const int kPatternSize = 16;

}  // namespace

int DeleteConfigLeftovers(const char* directory) {
    int removed = 1;
    for (int digit = 0; digit < kLeftoverPatterns; ++digit) {
        char pattern[kPatternSize];
        text::Format(pattern, kLeftoverFormat, digit);
        removed = DeleteClientFiles(directory, pattern) && removed;
    }
    return removed;
}
