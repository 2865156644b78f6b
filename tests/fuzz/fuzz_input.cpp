// Decoding and encoding of the fuzzer's input: a flat byte layout that any byte string satisfies.
//   code page byte
//   per row: flags byte (key, value, denied), type byte, 16-bit length, that many bytes
//   fault count byte, then per fault: call byte, occurrence byte, 32-bit status
#include "fuzz_input.h"

namespace {

constexpr int kCallKinds = static_cast<int>(FakeCall::MessageBox) + 1;
constexpr size_t kMaxFaults = 4;
constexpr int kOccurrences = 8;  // 0 fails every call of the kind

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;

    uint8_t Byte() { return at < size ? data[at++] : 0; }
    uint32_t Word(int bytes)
    {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return value;
    }
};

void PutWord(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

FuzzInput DecodeFuzzInput(const uint8_t* data, size_t size)
{
    Reader reader{data, size, 0};
    FuzzInput input;
    input.codePage = (reader.Byte() & 1) != 0 ? FakeCodePage::DoubleByte : FakeCodePage::SingleByte;
    for (FuzzRow& row : input.rows) {
        const uint8_t flags = reader.Byte();
        row.keyPresent = (flags & 1) != 0;
        row.valuePresent = row.keyPresent && (flags & 2) != 0;
        row.writeDenied = (flags & 4) != 0;
        row.type = reader.Byte();
        const size_t length = reader.Word(2);
        for (size_t i = 0; i < length && reader.at < size; ++i) row.bytes.push_back(reader.Byte());
    }
    const size_t faults = reader.Byte() % (kMaxFaults + 1);
    for (size_t i = 0; i < faults; ++i) {
        FakeFault fault;
        fault.call = static_cast<FakeCall>(reader.Byte() % kCallKinds);
        fault.occurrence = reader.Byte() % kOccurrences;
        fault.status = static_cast<PlatformStatus>(reader.Word(4));
        if (fault.status == kStatusSuccess) {
            fault.status = kStatusAccessDenied;  // a fault always fails
        }
        input.faults.push_back(fault);
    }
    return input;
}

std::vector<uint8_t> EncodeFuzzInput(const FuzzInput& input)
{
    std::vector<uint8_t> out;
    out.push_back(input.codePage == FakeCodePage::DoubleByte ? 1 : 0);
    for (const FuzzRow& row : input.rows) {
        out.push_back(static_cast<uint8_t>((row.keyPresent ? 1 : 0) | (row.valuePresent ? 2 : 0) |
                                           (row.writeDenied ? 4 : 0)));
        out.push_back(static_cast<uint8_t>(row.type));
        PutWord(out, static_cast<uint32_t>(row.bytes.size()), 2);
        out.insert(out.end(), row.bytes.begin(), row.bytes.end());
    }
    out.push_back(static_cast<uint8_t>(input.faults.size()));
    for (const FakeFault& fault : input.faults) {
        out.push_back(static_cast<uint8_t>(fault.call));
        out.push_back(static_cast<uint8_t>(fault.occurrence));
        PutWord(out, static_cast<uint32_t>(fault.status), 4);
    }
    return out;
}
