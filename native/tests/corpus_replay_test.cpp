// Replays every seed input of native/corpus/<unit>/ through that unit's fuzz
// target, built here without libFuzzer under the sanitizers: each input
// (the documented examples and every input that once found a fault) must pass
// the target's checks. The build renames each target's entry point to
// FuzzOne_<unit>; every corpus folder must belong to a target and hold seeds.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#define TELMORA_FUZZ_ENTRY(unit) \
    extern "C" int FuzzOne_##unit(const std::uint8_t* data, std::size_t size);
TELMORA_FUZZ_ENTRY(config_lines)
TELMORA_FUZZ_ENTRY(config_values)
TELMORA_FUZZ_ENTRY(key_rewrite)
TELMORA_FUZZ_ENTRY(autoexec_lines)
TELMORA_FUZZ_ENTRY(load_line)
TELMORA_FUZZ_ENTRY(command_line)
TELMORA_FUZZ_ENTRY(rewrite_names)
TELMORA_FUZZ_ENTRY(extension_text)
TELMORA_FUZZ_ENTRY(lookup_tables)

namespace {

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

struct Target {
    const char* unit;
    FuzzEntry entry;
};

#define TELMORA_TARGET(unit) {#unit, &FuzzOne_##unit}
const Target kTargets[] = {
    TELMORA_TARGET(config_lines),  TELMORA_TARGET(config_values),  TELMORA_TARGET(key_rewrite),
    TELMORA_TARGET(autoexec_lines), TELMORA_TARGET(load_line),     TELMORA_TARGET(command_line),
    TELMORA_TARGET(rewrite_names), TELMORA_TARGET(extension_text), TELMORA_TARGET(lookup_tables),
};

const std::string kCorpusDirectory = TELMORA_CORPUS_DIR;
const std::uint8_t kNothing[1] = {0};

// The names in `directory` that do not start with a dot, sorted.
std::set<std::string> Entries(const std::string& directory) {
    std::set<std::string> names;
    if (DIR* listing = opendir(directory.c_str())) {
        while (dirent* entry = readdir(listing)) {
            if (entry->d_name[0] != '.') names.insert(entry->d_name);
        }
        closedir(listing);
    }
    return names;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(CorpusReplay, EveryCorpusFolderBelongsToATarget) {
    std::set<std::string> units;
    for (const Target& target : kTargets) units.insert(target.unit);
    for (const std::string& folder : Entries(kCorpusDirectory)) {
        EXPECT_EQ(1u, units.count(folder)) << "corpus folder without a target: " << folder;
    }
}

TEST(CorpusReplay, EverySeedPassesItsTarget) {
    for (const Target& target : kTargets) {
        std::string folder = kCorpusDirectory + "/" + target.unit;
        std::set<std::string> seeds = Entries(folder);
        EXPECT_FALSE(seeds.empty()) << "no seeds for " << target.unit;
        for (const std::string& seed : seeds) {
            SCOPED_TRACE(folder + "/" + seed);
            std::vector<std::uint8_t> bytes = ReadBytes(folder + "/" + seed);
            // A failed check aborts the run with its message.
            EXPECT_EQ(0, target.entry(bytes.empty() ? kNothing : bytes.data(), bytes.size()));
        }
        // The empty input, which libFuzzer always tries first.
        EXPECT_EQ(0, target.entry(kNothing, 0));
    }
}

}  // namespace
