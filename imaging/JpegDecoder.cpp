// JPEG decoding with libjpeg, whose fatal errors long-jump back into small C-style step functions.
#include "JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg's error handler must not return. Ours long-jumps back to the step function that called
// libjpeg; those hold no objects with destructors, so no C++ frame is ever skipped.

// Bounds libjpeg's own buffers (progressive pictures keep all coefficients in memory).
constexpr long kMaxJpegWorkingMemory = 256L * 1024 * 1024;

// A progressive picture needs a dozen scans or so; each further one costs a pass over all its
// coefficients, so a file repeating scans is stopped long before it could keep the program busy.
constexpr int kMaxJpegScans = 100;

// Rows past an error that stopped decoding are grey, as libjpeg makes rows past the end of data.
constexpr uint32_t kMissingRowColour = MakePixel(128, 128, 128);

// Most pixels a byte of Huffman-coded data can give: every 8 x 8 block of the fullest component
// takes at least one bit.
constexpr uint64_t kJpegPixelsPerByte = 64 * 8;

struct JpegContext {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    bool created;
    bool decodingRows; // an error from here on leaves the rows decoded so far
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(static_cast<JpegContext*>(info->client_data)->jump, 1);
}

// Warnings report damage libjpeg decodes on from (data cut short, corrupt entropy data, stray
// bytes); other decoders show what it makes of such files, and so do we.
void IgnoreJpegMessage(j_common_ptr, int) {}

void OnJpegProgress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
        OnJpegError(info);
    }
}

// Each step sets its own return point: a libjpeg error ends the step, which says how far it got.

bool JpegCreate(JpegContext* c) {
    c->info.err = jpeg_std_error(&c->error);
    c->error.error_exit = OnJpegError;
    c->error.emit_message = IgnoreJpegMessage;
    c->progress.progress_monitor = OnJpegProgress;
    c->info.client_data = c;
    if (setjmp(c->jump)) {
        return false;
    }
    jpeg_create_decompress(&c->info);
    c->created = true;
    c->info.progress = &c->progress;
    c->info.mem->max_memory_to_use = kMaxJpegWorkingMemory;
    return true;
}

// Reads the headers; false also when no coded pixels follow them (libjpeg would then make up the
// whole picture in grey).
bool JpegReadHeader(JpegContext* c, const uint8_t* data, size_t size) {
    if (setjmp(c->jump)) {
        return false;
    }
    jpeg_mem_src(&c->info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&c->info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    // Past the end of data, libjpeg reads an end marker of its own instead.
    const JOCTET* next = c->info.src->next_input_byte;
    return next >= data && next < data + size;
}

// Decodes into rows of 4 bytes per pixel: B, G, R, 255, or C, M, Y, K for CMYK pictures. Returns
// the rows decoded: all of them, fewer when an error stopped decoding part way, and -1 when
// decoding could not start.
int JpegReadRows(JpegContext* c, uint8_t* out, size_t stride, JDIMENSION width, JDIMENSION height) {
    if (setjmp(c->jump)) {
        return c->decodingRows ? static_cast<int>(c->info.output_scanline) : -1;
    }
    jpeg_start_decompress(&c->info);
    if (c->info.output_width != width || c->info.output_height != height || c->info.output_components != 4) {
        return -1;
    }
    c->decodingRows = true;
    while (c->info.output_scanline < height) {
        JSAMPROW row = out + c->info.output_scanline * stride;
        if (jpeg_read_scanlines(&c->info, &row, 1) != 1) {
            return static_cast<int>(c->info.output_scanline);
        }
    }
    jpeg_finish_decompress(&c->info);
    return static_cast<int>(height);
}

// Owns the context and destroys libjpeg's state once it was created.
class JpegSession {
public:
    JpegSession() = default;
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;
    ~JpegSession() {
        if (m_context.created) {
            jpeg_destroy_decompress(&m_context.info);
        }
    }
    JpegContext* Get() { return &m_context; }

private:
    JpegContext m_context{};
};

// A size divided by a scale's denominator, rounded up as libjpeg does.
JDIMENSION ScaledDown(JDIMENSION size, unsigned denominator) {
    return (size + denominator - 1) / denominator;
}

uint8_t Multiply(unsigned a, unsigned b) {
    return uint8_t((a * b + 127) / 255);
}

// The largest of 1, 2, 4 and 8 that divides the picture into the pixel limit, or whose fraction
// of it still covers a drawing size with both sizes given.
unsigned ScaleDenominator(JDIMENSION width, JDIMENSION height, DrawingSize drawing) {
    auto covers = [&](unsigned denominator) {
        return drawing.width > 0 && drawing.height > 0 &&
               ScaledDown(width, denominator) >= JDIMENSION(drawing.width) &&
               ScaledDown(height, denominator) >= JDIMENSION(drawing.height);
    };
    unsigned denominator = 1;
    while (denominator < 8 &&
           (!PictureSizeAllowed(ScaledDown(width, denominator), ScaledDown(height, denominator)) ||
            covers(denominator * 2))) {
        denominator *= 2;
    }
    return denominator;
}

// Adobe's CMYK JPEGs store the inks inverted (0 = full ink); others store them plainly.
void CmykToBgra(uint32_t* pixels, size_t count, bool inverted) {
    for (uint32_t* pixel = pixels; pixel != pixels + count; ++pixel) {
        uint8_t* p = reinterpret_cast<uint8_t*>(pixel);
        unsigned cmyk[4] = {p[0], p[1], p[2], p[3]};
        if (!inverted) {
            for (unsigned& ink : cmyk) {
                ink = 255 - ink;
            }
        }
        *pixel =
            MakePixel(Multiply(cmyk[0], cmyk[3]), Multiply(cmyk[1], cmyk[3]), Multiply(cmyk[2], cmyk[3]));
    }
}

} // namespace

std::optional<Picture> DecodeJpeg(const uint8_t* data, size_t size, DrawingSize drawing) {
    if (!data || size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) {
        return std::nullopt;
    }
    JpegSession session;
    JpegContext* context = session.Get();
    if (!JpegCreate(context) || !JpegReadHeader(context, data, size)) {
        return std::nullopt;
    }
    jpeg_decompress_struct& info = context->info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;

    // Arithmetic coding can describe a blank block in less than a bit: only the pixel limit
    // bounds those.
    const bool fillable =
        info.arith_code || DataCanFill(info.image_width, info.image_height, size, kJpegPixelsPerByte);
    info.scale_num = 1;
    info.scale_denom = ScaleDenominator(info.image_width, info.image_height, drawing);
    const JDIMENSION width = ScaledDown(info.image_width, info.scale_denom);
    const JDIMENSION height = ScaledDown(info.image_height, info.scale_denom);
    Picture picture;
    if (!fillable || !AllocatePicture(picture, width, height)) {
        return std::nullopt;
    }
    const int rows = JpegReadRows(context, reinterpret_cast<uint8_t*>(picture.pixels.data()),
                                  static_cast<size_t>(picture.width) * 4, width, height);
    if (rows <= 0) {
        return std::nullopt;
    }
    const size_t decoded = size_t(rows) * picture.width;
    if (cmyk) {
        CmykToBgra(picture.pixels.data(), decoded, info.saw_Adobe_marker);
    }
    std::fill(picture.pixels.begin() + decoded, picture.pixels.end(), kMissingRowColour);
    picture.alpha = PictureAlpha::Opaque;
    picture.format = PictureFormat::Jpeg;
    return picture;
}
