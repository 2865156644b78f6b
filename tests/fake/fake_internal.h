// Helpers shared by the fake's source files, not meant for the tests themselves.
#pragma once

#include <cstddef>
#include <string>

#include "fake_platform.h"

// Records the call and tells whether a fault is set for it; `status` receives the fault's status.
bool RecordCall(FakeCall call, PlatformStatus* status);

// Decodes `length` ANSI bytes. Strict decoding fails on an invalid sequence; lenient decoding
// turns it into '?', a lead byte swallowing whatever byte follows it, as the registry does.
bool DecodeAnsi(const char* text, size_t length, bool strict, std::u16string* wide);
