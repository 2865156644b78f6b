// The fake's state, its reset, the fixture helpers and the fault table.
#include "fake_platform.h"

#include <cctype>

#include "fake_internal.h"

namespace {

FakePlatform g_fake;

bool SameName(const std::string& left, const std::string& right)
{
    if (left.size() != right.size()) {
        return false;
    }
    for (size_t i = 0; i < left.size(); ++i) {
        if (tolower(static_cast<unsigned char>(left[i])) != tolower(static_cast<unsigned char>(right[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

FakePlatform& Fake()
{
    return g_fake;
}

void ResetFake()
{
    g_fake = FakePlatform();
}

bool RecordCall(FakeCall call, PlatformStatus* status)
{
    g_fake.calls.push_back(call);
    int occurrence = 0;
    for (FakeCall made : g_fake.calls) {
        occurrence += made == call ? 1 : 0;
    }
    for (const FakeFault& fault : g_fake.faults) {
        if (fault.call == call && (fault.occurrence == 0 || fault.occurrence == occurrence)) {
            *status = fault.status;
            return true;
        }
    }
    return false;
}

FakeKey* FindKey(RegistryKey root, const std::string& path)
{
    for (FakeKey& key : g_fake.keys) {
        if (key.root == root && SameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

FakeKey& AddKey(RegistryKey root, const std::string& path, uint32_t granted)
{
    FakeKey* existing = FindKey(root, path);
    if (existing != nullptr) {
        existing->granted = granted;
        return *existing;
    }
    FakeKey key;
    key.root = root;
    key.path = path;
    key.granted = granted;
    g_fake.keys.push_back(key);
    return g_fake.keys.back();
}

const FakeValue* FindValue(RegistryKey root, const std::string& path, const std::string& name)
{
    const FakeKey* key = FindKey(root, path);
    if (key == nullptr) {
        return nullptr;
    }
    for (const FakeValue& value : key->values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void PutRawValue(RegistryKey root, const std::string& path, const std::string& name, uint32_t type,
                 const std::vector<uint8_t>& bytes)
{
    FakeKey* key = FindKey(root, path);
    if (key == nullptr) {
        key = &AddKey(root, path);
    }
    for (FakeValue& value : key->values) {
        if (SameName(value.name, name)) {
            value.type = type;
            value.bytes = bytes;
            return;
        }
    }
    key->values.push_back(FakeValue{name, type, bytes});
}

void PutTextValue(RegistryKey root, const std::string& path, const std::string& name, uint32_t type,
                  const std::u16string& text, bool terminated)
{
    std::u16string units = text;
    if (terminated) {
        units.push_back(u'\0');
    }
    PutRawValue(root, path, name, type, BytesOf(units));
}

std::u16string UnitsOf(const std::vector<uint8_t>& bytes)
{
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return units;
}

std::vector<uint8_t> BytesOf(const std::u16string& units)
{
    std::vector<uint8_t> bytes;
    for (char16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}
