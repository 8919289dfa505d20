#include "platform/user/Clipboard.h"

#include "platform/HandleTable.h"
#include "platform/gdi/Object.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

// Global memory handles carry a tag in their top bits so they never pass for another
// table's handles, the generation above the slot number so a freed handle stays dead.
struct Block {
    std::unique_ptr<BYTE[]> data;
    SIZE_T size = 0;
    int locks = 0; // under memoryLock
};

std::mutex memoryLock;

HandleTable<Block>& blocks() {
    static HandleTable<Block> t(HandleLayout{.tag = std::uintptr_t(0x47) << 48,
                                             .indexBits = 24,
                                             .firstIndex = 1,
                                             .generationShift = 24,
                                             .maxGeneration = 0xFFFFFF});
    return t;
}

struct Entry {
    UINT format;
    HANDLE data;
};

std::mutex clipLock;
bool clipOpen = false;
HWND clipOwner = 0;
std::vector<Entry> entries;
std::vector<std::string> formatNames; // format 0xC000 + i

constexpr UINT kFirstRegistered = 0xC000;
constexpr UINT kLastRegistered = 0xFFFF;

std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return u;
}

void Release(const Entry& e) {
    if (e.format == CF_BITMAP || e.format == CF_PALETTE)
        DeleteObject(e.data);
    else
        GlobalFree(e.data);
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[bytes == 0 ? 1 : bytes]);
    if (!data) return 0;
    if (flags & GMEM_ZEROINIT) std::memset(data.get(), 0, bytes);
    auto block = std::make_shared<Block>();
    block->data = std::move(data);
    block->size = bytes;
    return blocks().Add(std::move(block));
}

LPVOID GlobalLock(HGLOBAL mem) {
    std::shared_ptr<Block> b = blocks().Find(mem);
    if (!b) return nullptr;
    std::lock_guard guard(memoryLock);
    ++b->locks;
    return b->data.get();
}

BOOL GlobalUnlock(HGLOBAL mem) {
    std::shared_ptr<Block> b = blocks().Find(mem);
    if (!b) return FALSE;
    std::lock_guard guard(memoryLock);
    if (b->locks == 0) return FALSE;
    --b->locks;
    return b->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL mem) {
    std::shared_ptr<Block> b = blocks().Find(mem);
    return b ? b->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
    return blocks().Remove(mem) ? 0 : mem;
}

UINT RegisterClipboardFormatA(LPCSTR name) {
    if (!name || !*name) return 0;
    std::lock_guard guard(clipLock);
    std::string key = Upper(name);
    for (size_t i = 0; i < formatNames.size(); ++i)
        if (Upper(formatNames[i]) == key) return kFirstRegistered + UINT(i);
    if (kFirstRegistered + formatNames.size() > kLastRegistered) return 0;
    formatNames.emplace_back(name);
    return kFirstRegistered + UINT(formatNames.size() - 1);
}

int GetClipboardFormatNameA(UINT format, LPSTR name, int size) {
    std::lock_guard guard(clipLock);
    if (format < kFirstRegistered || format - kFirstRegistered >= formatNames.size() || !name ||
        size <= 0)
        return 0;
    const std::string& s = formatNames[format - kFirstRegistered];
    int n = int(std::min<size_t>(s.size(), size_t(size - 1)));
    std::memcpy(name, s.data(), size_t(n));
    name[n] = 0;
    return n;
}

BOOL OpenClipboard(HWND owner) {
    std::lock_guard guard(clipLock);
    if (clipOpen) return FALSE;
    clipOpen = true;
    clipOwner = owner;
    return TRUE;
}

BOOL CloseClipboard() {
    std::lock_guard guard(clipLock);
    if (!clipOpen) return FALSE;
    clipOpen = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    std::vector<Entry> old;
    {
        std::lock_guard guard(clipLock);
        if (!clipOpen) return FALSE;
        old.swap(entries);
    }
    for (const Entry& e : old)
        Release(e);
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    if (format == 0 || data == 0) return 0;
    Entry replaced{0, 0};
    {
        std::lock_guard guard(clipLock);
        if (!clipOpen) return 0;
        bool found = false;
        for (Entry& e : entries) {
            if (e.format == format) {
                replaced = e;
                e.data = data;
                found = true;
                break;
            }
        }
        if (!found) entries.push_back({format, data});
    }
    if (replaced.data != 0 && replaced.data != data) Release(replaced);
    return data;
}

HANDLE GetClipboardData(UINT format) {
    std::lock_guard guard(clipLock);
    if (!clipOpen) return 0;
    for (const Entry& e : entries)
        if (e.format == format) return e.data;
    return 0;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    std::lock_guard guard(clipLock);
    for (const Entry& e : entries)
        if (e.format == format) return TRUE;
    return FALSE;
}

int CountClipboardFormats() {
    std::lock_guard guard(clipLock);
    return int(entries.size());
}

UINT EnumClipboardFormats(UINT format) {
    std::lock_guard guard(clipLock);
    if (!clipOpen) return 0;
    if (format == 0) return entries.empty() ? 0 : entries.front().format;
    for (size_t i = 0; i + 1 < entries.size(); ++i)
        if (entries[i].format == format) return entries[i + 1].format;
    return 0;
}

HWND GetClipboardOwner() {
    std::lock_guard guard(clipLock);
    return clipOwner;
}
