// The fuzzer's input format: both rows' stored state, the code page and the injected faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fake_platform.h"

struct FuzzRow {
    bool keyPresent = false;
    bool valuePresent = false;
    bool writeDenied = false;
    uint32_t type = kTypeNone;
    std::vector<uint8_t> bytes;  // as stored: any length, string types as UTF-16LE or not
};

struct FuzzInput {
    FakeCodePage codePage = FakeCodePage::SingleByte;
    FuzzRow rows[2];  // machine, then user
    std::vector<FakeFault> faults;
};

// Every byte string decodes to some input; missing bytes read as zero.
FuzzInput DecodeFuzzInput(const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeFuzzInput(const FuzzInput& input);
