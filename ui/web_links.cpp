#include "ui/web_links.h"

#include "runtime/win32/registry.h"
#include "runtime/win32/shell.h"

void openWebAddress(const Text& address) {
    Text handler = readRegistryText(RegistryRoot::ClassesRoot, "HTTP\\shell\\open\\command\\");
    if (!handler.empty()) {
        openUrl(address);
        return;
    }
    shellExecute(ShellOperation::Open, kInternetExplorerPath, " -new " + address);
}
