// readRegistryText: one text value of the registry. Any thread may call it.
#pragma once

#include "runtime/text.h"

// root: 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_CONFIG, 4 HKEY_LOCAL_MACHINE,
// 5 HKEY_USERS, any other HKEY_CURRENT_USER. The text after the last
// backslash of keyPath names the value (empty: the key's default value).
// REG_SZ as stored, REG_EXPAND_SZ expanded; anything else gives defaultText.
Text readRegistryText(int root, const Text& keyPath, const Text& defaultText = {});
