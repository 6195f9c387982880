// Pictures decoded once and kept ready for drawing, within a memory budget.
#include "PictureCache.h"

#include "PictureDecoder.h"

#include <algorithm>
#include <utility>

namespace {

// What a 32-bit process can spare for pictures on show; the least recently drawn go first.
constexpr size_t kMaxKeptBytes = 64u * 1024 * 1024;
// Entries of files that did not decode keep no pixels, but their number is bounded all the same.
constexpr size_t kMaxEntries = 512;

size_t KeptBytesOf(const std::unique_ptr<DrawablePicture>& picture) {
    return picture ? picture->KeptBytes() : 0;
}

} // namespace

void PictureCache::Draw(HDC dc, int x, int y, int cx, int cy, const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!dc || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
        return;
    }
    Entry key = {path,
                 std::max(cx, 0),
                 std::max(cy, 0),
                 (uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow,
                 attributes.ftLastWriteTime,
                 nullptr};
    const Entry* entry = Find(key);
    if (!entry) {
        if (auto decoded = DecodePictureFile(path.c_str(), {key.cx, key.cy})) {
            key.picture = std::make_unique<DrawablePicture>(std::move(*decoded), key.cx, key.cy);
        }
        entry = &Add(std::move(key));
    }
    if (entry->picture) {
        entry->picture->Draw(dc, x, y);
    }
}

PictureCache::Entry* PictureCache::Find(const Entry& key) {
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.path == key.path && entry.cx == key.cx && entry.cy == key.cy &&
               entry.fileSize == key.fileSize && CompareFileTime(&entry.written, &key.written) == 0;
    });
    if (found == m_entries.end()) {
        return nullptr;
    }
    m_entries.splice(m_entries.begin(), m_entries, found);
    return &m_entries.front();
}

const PictureCache::Entry& PictureCache::Add(Entry entry) {
    m_keptBytes += KeptBytesOf(entry.picture);
    m_entries.push_front(std::move(entry));
    while (m_entries.size() > 1 && (m_keptBytes > kMaxKeptBytes || m_entries.size() > kMaxEntries)) {
        m_keptBytes -= KeptBytesOf(m_entries.back().picture);
        m_entries.pop_back();
    }
    return m_entries.front();
}
