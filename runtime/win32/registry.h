// readRegistryText: one text value of the registry. Any thread may call it.
#pragma once

#include "runtime/text.h"

// The runtime's numbering of the registry roots. A number not listed reads
// HKEY_CURRENT_USER as CurrentUser does.
namespace RegistryRoot {
constexpr int ClassesRoot = 1;    // HKEY_CLASSES_ROOT
constexpr int CurrentConfig = 2;  // HKEY_CURRENT_CONFIG
constexpr int CurrentUser = 3;    // HKEY_CURRENT_USER
constexpr int LocalMachine = 4;   // HKEY_LOCAL_MACHINE
constexpr int Users = 5;          // HKEY_USERS
}  // namespace RegistryRoot

// root: a RegistryRoot number. The text after the last
// backslash of keyPath names the value (empty: the key's default value).
// REG_SZ as stored, REG_EXPAND_SZ expanded; anything else gives defaultText.
Text readRegistryText(int root, const Text& keyPath, const Text& defaultText = {});
