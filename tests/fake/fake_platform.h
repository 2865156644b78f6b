// An in-memory platform for the host tests: a registry with access rights, a code page model and a record of calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform_api.h"

// How the fake's ANSI code page behaves.
//  SingleByte: every byte is one character, U+0000..U+00FF (Latin-1); other characters become '?'.
//  DoubleByte: laid out like code page 932. Lead bytes 0x81-0x9F and 0xE0-0xFC take a trail byte
//  0x40-0x7E or 0x80-0xFC and map to U+4E00 onwards; 0xA1-0xDF are half-width katakana
//  (U+FF61..U+FF9F); 0x00-0x7F are ASCII; anything else is invalid.
enum class FakeCodePage { SingleByte, DoubleByte };

enum class FakeCall { Open, Query, QueryWide, Set, Close, Convert, Compare, Broadcast, ActiveWindow, MessageBox };

struct FakeValue {
    std::string name;
    uint32_t type = kTypeNone;
    std::vector<uint8_t> bytes;  // as stored: string types hold UTF-16LE
};

struct FakeKey {
    RegistryKey root = kNullKey;
    std::string path;
    uint32_t granted = kKeyAllAccess;  // rights an open may ask for
    std::vector<FakeValue> values;
};

// Makes the `occurrence`-th call of `call` (counting from 1; 0 means every call) fail with `status`.
// A failed query still scribbles over the caller's buffer, as Windows leaves it undefined.
struct FakeFault {
    FakeCall call;
    int occurrence;
    PlatformStatus status;
};

struct FakeOpen {
    RegistryKey root;
    std::string subkey;
    uint32_t access;
    PlatformStatus status;
};

struct FakeSet {
    std::string subkey;
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;  // exactly the bytes the caller passed
    PlatformStatus status;
};

struct FakeBroadcast {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    std::string text;
    uint32_t flags;
    uint32_t timeoutMs;
};

struct FakeMessageBox {
    WindowHandle owner;
    std::string text;
    std::string caption;
    uint32_t style;
};

struct FakeHandle {
    RegistryKey handle;
    size_t keyIndex;
    uint32_t access;
};

struct FakePlatform {
    FakeCodePage codePage = FakeCodePage::SingleByte;
    std::vector<FakeKey> keys;
    std::vector<FakeFault> faults;
    WindowHandle activeWindow = kNullWindow;

    std::vector<FakeCall> calls;
    std::vector<FakeOpen> opens;
    std::vector<FakeSet> sets;
    std::vector<FakeBroadcast> broadcasts;
    std::vector<FakeMessageBox> messageBoxes;
    std::vector<FakeHandle> openHandles;  // opened and not yet closed
    int keysOpened = 0;
    int keysClosed = 0;
    int badCloses = 0;  // closes of a handle that was not open
    RegistryKey nextHandle = 0x1000;
};

// The state every seam function acts on.
FakePlatform& Fake();
// Back to an empty registry, single-byte code page, no faults and no record.
void ResetFake();

FakeKey& AddKey(RegistryKey root, const std::string& path, uint32_t granted = kKeyAllAccess);
FakeKey* FindKey(RegistryKey root, const std::string& path);
const FakeValue* FindValue(RegistryKey root, const std::string& path, const std::string& name);
// Stores raw bytes under the key, creating the key if needed.
void PutRawValue(RegistryKey root, const std::string& path, const std::string& name, uint32_t type,
                 const std::vector<uint8_t>& bytes);
// Stores UTF-16 text, with its terminating unit unless `terminated` is false.
void PutTextValue(RegistryKey root, const std::string& path, const std::string& name, uint32_t type,
                  const std::u16string& text, bool terminated = true);

// Whether the byte starts a two-byte character in the fake's current code page.
bool IsFakeLeadByte(unsigned char byte);
// The fake code page's conversions, as the ANSI registry functions apply them.
std::string WideToAnsi(const std::u16string& wide);
std::u16string AnsiToWide(const std::string& ansi);
// Stored UTF-16LE bytes of a string value to units and back.
std::u16string UnitsOf(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> BytesOf(const std::u16string& units);
