// Writes the fuzzer's seed corpus: one input per run scenario, so fuzzing starts from every known case.
#include <cstdio>
#include <string>

#include "fuzz_input.h"
#include "run_scenarios.h"

namespace {

FuzzRow FromScenario(const Row& row)
{
    FuzzRow fuzz;
    fuzz.keyPresent = row.keyPresent;
    fuzz.valuePresent = row.valuePresent;
    fuzz.writeDenied = row.granted != kKeyAllAccess;
    fuzz.type = row.type;
    fuzz.bytes = row.bytes;
    return fuzz;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: write_seeds DIRECTORY\n");
        return 2;
    }
    for (const RunCase& scenario : kRunCases) {
        FuzzInput input;
        input.codePage = scenario.codePage;
        input.rows[0] = FromScenario(scenario.machine);
        input.rows[1] = FromScenario(scenario.user);
        input.faults = scenario.faults;
        const std::vector<uint8_t> bytes = EncodeFuzzInput(input);
        const std::string path = std::string(argv[1]) + "/" + scenario.name;
        FILE* file = fopen(path.c_str(), "wb");
        if (file == nullptr || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || fclose(file) != 0) {
            fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
