#include "runtime/win32/subclass.h"

#include <unordered_map>
#include <vector>

namespace subclass_detail {
namespace {

// Per window, its hooks from the oldest (bottom of the chain) to the newest.
// Mirrors state the window system keeps per window for the whole process,
// so it is process-wide like that state; only the owning thread touches it.
using Chains = std::unordered_map<HWND, std::vector<Link>>;

Chains& chains() {
    static Chains table;
    return table;
}

std::vector<Link>* chainOf(HWND hwnd) {
    auto it = chains().find(hwnd);
    return it == chains().end() ? nullptr : &it->second;
}

}  // namespace

bool findLink(HWND hwnd, WNDPROC procedure, Link& out) {
    const std::vector<Link>* chain = chainOf(hwnd);
    if (!chain) return false;
    for (const Link& link : *chain)
        if (link.procedure == procedure) {
            out = link;
            return true;
        }
    return false;
}

WNDPROC add(HWND hwnd, WNDPROC procedure, void* data) {
    if (!IsWindow(hwnd)) return nullptr;
    if (std::vector<Link>* chain = chainOf(hwnd)) {
        for (Link& link : *chain) {
            if (link.procedure != procedure) continue;
            if (!link.passThrough) return nullptr;
            link.passThrough = false;
            link.data = data;
            return link.previous;
        }
    }
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    if (!previous) return nullptr;
    chains()[hwnd].push_back(Link{procedure, previous, data, false});
    return previous;
}

bool remove(HWND hwnd, WNDPROC procedure) {
    std::vector<Link>* chain = chainOf(hwnd);
    if (!chain) return false;
    for (std::size_t i = 0; i < chain->size(); ++i) {
        Link& link = (*chain)[i];
        if (link.procedure != procedure || link.passThrough) continue;
        const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
        Link* above = nullptr;
        for (Link& other : *chain)
            if (other.previous == procedure) above = &other;
        if (current == procedure) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link.previous));
        } else if (above) {
            above->previous = link.previous;
        } else {
            link.passThrough = true;
            return true;
        }
        chain->erase(chain->begin() + static_cast<std::ptrdiff_t>(i));
        if (chain->empty()) chains().erase(hwnd);
        return true;
    }
    return false;
}

void windowEnded(HWND hwnd) { chains().erase(hwnd); }

}  // namespace subclass_detail

int subclassCount(HWND hwnd) {
    const auto* chain = subclass_detail::chainOf(hwnd);
    return chain ? static_cast<int>(chain->size()) : 0;
}
