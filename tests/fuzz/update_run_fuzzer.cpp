// libFuzzer target: the whole run against the fake, from any registry state, code page and set of failing calls.
// On every input it checks that a row is written only with the exact toggle of a whole text read
// from that row, that every opened key is closed, and that outcome, message and broadcast agree.
// AddressSanitizer guards every buffer the run and the fake touch.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "fake_platform.h"
#include "fuzz_input.h"
#include "run_scenarios.h"
#include "update_run.h"

namespace {

const char* const kSubkeys[2] = {kMachineSubkey, kUserSubkey};
const RegistryKey kRoots[2] = {kLocalMachineRoot, kCurrentUserRoot};

[[noreturn]] void Violated(const char* property)
{
    fprintf(stderr, "property violated: %s\n", property);
    abort();
}

void Require(bool condition, const char* property)
{
    if (!condition) Violated(property);
}

// What the row may be written with, worked out from its stored state alone: the toggle of
// its whole text, or nothing when the row must be left alone.
std::optional<std::string> AllowedWrite(const FuzzRow& row)
{
    if (!row.valuePresent || (row.type != kTypeString && row.type != kTypeExpandString)) return std::nullopt;
    const std::u16string stored = UnitsOf(row.bytes);
    const std::string ansi = WideToAnsi(stored);
    const size_t end = ansi.find('\0');
    if (ansi.size() > 260 || (end == std::string::npos && ansi.size() == 260)) return std::nullopt;
    std::string text = ansi.substr(0, end);
    // Exact only if the text converts back to the stored text.
    if (AnsiToWide(text) != stored.substr(0, stored.find(u'\0'))) return std::nullopt;
    const bool empty = text.empty() || (text.size() == 1 && IsFakeLeadByte(static_cast<unsigned char>(text[0])));
    if (empty) return std::nullopt;
    if (text.back() == ';') {
        text.pop_back();
    } else if (text.size() >= 259) {
        return std::nullopt;
    } else {
        text.push_back(';');
    }
    return text;
}

void Install(const FuzzInput& input)
{
    ResetFake();
    Fake().codePage = input.codePage;
    Fake().activeWindow = 0x77;
    for (int i = 0; i < 2; ++i) {
        const FuzzRow& row = input.rows[i];
        if (!row.keyPresent) continue;
        AddKey(kRoots[i], kSubkeys[i], row.writeDenied ? kNoWrite : kKeyAllAccess);
        if (row.valuePresent) PutRawValue(kRoots[i], kSubkeys[i], "Path", row.type, row.bytes);
    }
    Fake().faults = input.faults;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzInput input = DecodeFuzzInput(data, size);
    Install(input);
    std::optional<std::string> allowed[2];
    for (int i = 0; i < 2; ++i) allowed[i] = AllowedWrite(input.rows[i]);

    const int exitStatus = RunUpdate();
    const FakePlatform& fake = Fake();

    // Writes: only the allowed toggle, as REG_EXPAND_SZ, 260 bytes, zeros after the text.
    bool writeFailed = false;
    bool written[2] = {false, false};
    for (const FakeSet& set : fake.sets) {
        const int row = set.subkey == kMachineSubkey ? 0 : 1;
        Require(set.subkey == kSubkeys[row] && set.name == "Path", "a write went to another value");
        Require(allowed[row].has_value(), "a row was written that must be left alone");
        std::string expected = *allowed[row];
        expected.resize(260, '\0');
        Require(set.type == kTypeExpandString, "a write was not REG_EXPAND_SZ");
        Require(set.data.size() == 260, "a write was not 260 bytes");
        Require(std::string(set.data.begin(), set.data.end()) == expected,
                "a write was not the exact toggle of the row's text with a zero tail");
        writeFailed = writeFailed || set.status != kStatusSuccess;
        written[row] = written[row] || set.status == kStatusSuccess;
    }
    for (const FakeOpen& open : fake.opens) {
        Require(open.access == kKeyRead || open.access == kKeyAllAccess, "a key was opened with another access");
        writeFailed = writeFailed || (open.access == kKeyAllAccess && open.status != kStatusSuccess);
    }
    // Rows not written keep their exact bytes.
    for (int i = 0; i < 2; ++i) {
        if (written[i] || !input.rows[i].valuePresent) continue;
        const FakeValue* value = FindValue(kRoots[i], kSubkeys[i], "Path");
        Require(value != nullptr && value->type == input.rows[i].type && value->bytes == input.rows[i].bytes,
                "a row that was not written changed");
    }

    // Every key opened is closed, and nothing else is.
    Require(fake.keysOpened == fake.keysClosed && fake.openHandles.empty(), "a key was left open");
    Require(fake.badCloses == 0, "a handle that was never opened was closed");

    // Outcome, message and broadcast agree.
    Require(exitStatus == (writeFailed ? 0 : 1), "the exit status does not follow from the writes");
    Require(fake.messageBoxes.size() == 1, "not exactly one message box");
    const FakeMessageBox& box = fake.messageBoxes[0];
    Require(box.caption == "Update" && box.style == 0x40 && box.owner == 0x77, "box caption, style or owner");
    Require(box.text == (writeFailed ? "Failed to finish update process." : "Update process is completed."),
            "the message does not match the outcome");
    Require(fake.broadcasts.size() == (writeFailed ? 0u : 1u), "the broadcast does not match the outcome");

    // Without injected faults the outcome is fully determined by the stored state.
    if (input.faults.empty()) {
        bool failed = false;
        for (int i = 0; i < 2 && !failed; ++i) {
            if (!allowed[i].has_value()) continue;
            failed = input.rows[i].writeDenied;
            Require(written[i] != failed, "a row that should have been written was not");
        }
        Require(exitStatus == (failed ? 0 : 1), "exit status without faults");
    }
    return 0;
}
