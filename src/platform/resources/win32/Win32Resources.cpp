// The program's resources on Windows: real resources of the executable
// (compiled by windres from the build's .rc file), found by name without
// regard to case with FindResourceA. "MAINICON" is an icon group; its
// bytes are put back together as an icon file, as the embedded table of
// other platforms holds it.
#include <windows.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "platform/Resources.h"

namespace skr::platform {
namespace {

std::span<const uint8_t> Load(HRSRC found) noexcept {
    if (!found) return {};
    HGLOBAL handle = LoadResource(nullptr, found);
    const DWORD size = SizeofResource(nullptr, found);
    const void* bytes = handle ? LockResource(handle) : nullptr;
    if (!bytes || size == 0) return {};
    return {static_cast<const uint8_t*>(bytes), size};
}

// One image of an icon group resource: width, height, colours, reserved
// (a byte each), planes and bit count (16 bits each), its size (32 bits),
// its resource number (16 bits), little-endian.
constexpr size_t kGroupEntryBytes = 14, kGroupEntryId = 12;

// An icon file made from the icon group `name` and its images; empty when
// the program has no such group or it is malformed.
std::vector<uint8_t> IconFile(const std::string& name) {
    const std::span<const uint8_t> group = Load(FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(14)));
    if (group.size() < 6) return {};
    const size_t count = LoadLE16(group.data() + 4);
    if (group.size() < 6 + count * kGroupEntryBytes) return {};
    std::vector<std::span<const uint8_t>> images;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t id = LoadLE16(group.data() + 6 + i * kGroupEntryBytes + kGroupEntryId);
        images.push_back(Load(FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3))));
        if (images.back().empty()) return {};
    }
    // The group's 6-byte header, then a 16-byte entry an image: the first 8
    // bytes of its group entry, its size and where it starts in the file.
    std::vector<uint8_t> file(6 + count * 16);
    std::copy_n(group.begin(), 6, file.begin());
    uint32_t offset = static_cast<uint32_t>(file.size());
    for (size_t i = 0; i < count; ++i) {
        uint8_t* entry = file.data() + 6 + i * 16;
        std::copy_n(group.data() + 6 + i * kGroupEntryBytes, 8, entry);  // width, height, colours, reserved, planes, bit count
        const uint32_t size = static_cast<uint32_t>(images[i].size());
        StoreLE32(entry + 8, size);
        StoreLE32(entry + 12, offset);
        offset += size;
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
    return file;
}

}  // namespace

std::span<const uint8_t> FindProgramResource(std::string_view name) noexcept {
    try {
        std::string key(name);
        for (char& c : key)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);  // resource names ignore case
        if (const std::span<const uint8_t> data = Load(FindResourceA(nullptr, key.c_str(), MAKEINTRESOURCEA(10)));
            !data.empty())
            return data;
        // Icon files are rebuilt once per name and kept for the program's run.
        static std::deque<std::pair<std::string, std::vector<uint8_t>>> icons;  // never moves its entries
        for (const auto& [n, bytes] : icons)
            if (n == key) return bytes;
        std::vector<uint8_t> icon = IconFile(key);
        if (icon.empty()) return {};
        icons.emplace_back(key, std::move(icon));
        return icons.back().second;
    } catch (...) {
        return {};
    }
}

}  // namespace skr::platform
