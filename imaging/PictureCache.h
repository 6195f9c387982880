// Pictures decoded once and kept ready for drawing: windows repaint often, and decoding a large
// file on every paint would keep the program busy and its memory full.
#pragma once

#include <windows.h>

#include "PictureDrawing.h"

#include <list>
#include <cstdint>
#include <memory>
#include <string>

class PictureCache {
public:
    PictureCache() = default;
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // Draws the picture file at path as DrawPicture does, decoding it only when this file (the
    // same size and time of last change) was not drawn at this size before. A file that does not
    // decode draws nothing, and is not read again either until it changes. A picture kept at its
    // own size is drawn from the bitmap it was decoded into; one drawn smaller is decoded smaller
    // where its format allows, and averaged down.
    void Draw(HDC dc, int x, int y, int cx, int cy, const std::wstring& path);

    // The bytes of pixels kept for all pictures.
    size_t KeptBytes() const { return m_keptBytes; }

private:
    struct Entry {
        std::wstring path;
        int cx;
        int cy;
        uint64_t fileSize;
        FILETIME written;
        std::unique_ptr<DrawablePicture> picture; // owned; null when the file did not decode
    };

    // The entry for the same file at the same size, moved to the front; null when there is none.
    Entry* Find(const Entry& key);
    // Puts the entry in front, dropping the least recently drawn ones beyond the budget.
    const Entry& Add(Entry entry);

    std::list<Entry> m_entries; // the most recently drawn first
    size_t m_keptBytes = 0;
};
