// The run scenarios: starting registry states with the outcome each must have. Shared by the host tests and the fuzzer's seeds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"

extern const char kMachineSubkey[];
extern const char kUserSubkey[];
constexpr uint32_t kNoWrite = kKeyAllAccess & ~kKeySetValue;

// A row's starting state: no key, a key without the value, or a value with its exact stored bytes.
struct Row {
    bool keyPresent = true;
    bool valuePresent = true;
    uint32_t type = kTypeExpandString;
    std::vector<uint8_t> bytes;
    uint32_t granted = kKeyAllAccess;
};

struct RunCase {
    const char* name;
    FakeCodePage codePage;
    Row machine;
    Row user;
    std::vector<FakeFault> faults;
    // The text each row must hold afterwards, stored as REG_EXPAND_SZ from a 260-byte
    // buffer padded with zeros; nullopt means the row keeps its exact starting state.
    std::optional<std::u16string> machineAfter;
    std::optional<std::u16string> userAfter;
    bool completed;
};

extern const std::vector<RunCase> kRunCases;

// Puts the row's key, rights and value into the fake registry.
void InstallRow(RegistryKey root, const char* subkey, const Row& row);
