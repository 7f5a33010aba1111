#include "ui/web_links.h"

#include "runtime/win32/registry.h"
#include "runtime/win32/shell.h"

void openWebAddress(const Text& address) {
    Text handler = readRegistryText(1, "HTTP\\shell\\open\\command\\");
    if (!handler.empty()) {
        openUrl(address);
        return;
    }
    shellExecute(4, kInternetExplorerPath, " -new " + address);
}
