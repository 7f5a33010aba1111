// Opening a web address with the browser registered for web addresses, else
// with Internet Explorer. Reports nothing: a browser that cannot start
// leaves nothing to see. Any thread.
#pragma once

#include "runtime/text.h"

constexpr const char* kInternetExplorerPath = "C:\\Program Files\\Internet Explorer\\iexplore.exe";

void openWebAddress(const Text& address);
