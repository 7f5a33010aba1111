// A block of memory in another process, freed with the object: controls of
// another process read and write their structures only through memory of
// their own process.
#pragma once

#include <windows.h>

#include <cstddef>

namespace e2e {

class RemoteBuffer {
public:
    // owner: any window of the process; protection: PAGE_READWRITE for data,
    // PAGE_EXECUTE_READWRITE for code that runs there.
    RemoteBuffer(HWND owner, size_t size, DWORD protection = PAGE_READWRITE) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_CREATE_THREAD |
                                   PROCESS_QUERY_INFORMATION,
                               FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, protection);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool valid() const { return address_ != nullptr; }
    HANDLE process() const { return process_; }
    char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool write(size_t offset, const void* data, size_t n) {
        return WriteProcessMemory(process_, at(offset), data, n, nullptr);
    }
    bool read(size_t offset, void* data, size_t n) {
        return ReadProcessMemory(process_, at(offset), data, n, nullptr);
    }
    // Leaves the block allocated for the rest of the other process: a thread
    // there that did not end in time may still run its code.
    void keep() { address_ = nullptr; }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

}  // namespace e2e
