// What the program relies on from the platform's registry and text calls, as one table of cases for any backend.
#pragma once

#include <cstdint>

#include "platform/platform_api.h"

// Each backend provides these fixture operations on its own registry. Data is given as the
// registry stores it: string values as UTF-16LE.
bool ContractPutValue(RegistryKey root, const char* subkey, const char* name, uint32_t type,
                      const unsigned char* data, uint32_t size);
bool ContractRemoveKey(RegistryKey root, const char* subkey);
// Leaves the key readable but refuses KEY_SET_VALUE, as a DACL on Windows does.
bool ContractDenySetValue(RegistryKey root, const char* subkey);

enum class ContractCodePage { SingleByte, DoubleByte };
enum class ContractBackend { Fake, Wine };

// Receives one line per case: its name, whether it held, and what was seen when it did not.
typedef void (*ContractReport)(const char* name, bool held, const char* detail);

// Runs every case that applies to the code page and backend; returns how many did not hold.
int RunRegistryContract(ContractBackend backend, ContractCodePage codePage, ContractReport report);
