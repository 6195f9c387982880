// JPEG decoding with libjpeg, whose fatal errors long-jump back into small C-style step functions.
#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg's error handler must not return. Ours long-jumps back to the step function that called
// libjpeg; those hold no objects with destructors, so no C++ frame is ever skipped.

// Bounds libjpeg's own buffers (progressive pictures keep all coefficients in memory).
constexpr long kMaxJpegWorkingMemory = 256L * 1024 * 1024;

struct JpegContext {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    std::jmp_buf jump;
    bool created;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(static_cast<JpegContext*>(info->client_data)->jump, 1);
}

// libjpeg would print warnings to stderr; they are only counted.
void OnJpegOutputMessage(j_common_ptr) {}

// Each step sets its own return point: a libjpeg error ends the step with false.

bool JpegCreate(JpegContext* c) {
    c->info.err = jpeg_std_error(&c->error);
    c->error.error_exit = OnJpegError;
    c->error.output_message = OnJpegOutputMessage;
    c->info.client_data = c;
    if (setjmp(c->jump)) {
        return false;
    }
    jpeg_create_decompress(&c->info);
    c->created = true;
    c->info.mem->max_memory_to_use = kMaxJpegWorkingMemory;
    return true;
}

bool JpegReadHeader(JpegContext* c, const uint8_t* data, size_t size) {
    if (setjmp(c->jump)) {
        return false;
    }
    jpeg_mem_src(&c->info, data, static_cast<unsigned long>(size));
    return jpeg_read_header(&c->info, TRUE) == JPEG_HEADER_OK;
}

// Decodes into rows of 4 bytes per pixel: B, G, R, 255, or C, M, Y, K for CMYK pictures.
bool JpegReadPixels(JpegContext* c, uint8_t* out, size_t stride, JDIMENSION width, JDIMENSION height) {
    if (setjmp(c->jump)) {
        return false;
    }
    jpeg_start_decompress(&c->info);
    if (c->info.output_width != width || c->info.output_height != height || c->info.output_components != 4) {
        return false;
    }
    while (c->info.output_scanline < height) {
        JSAMPROW row = out + c->info.output_scanline * stride;
        if (jpeg_read_scanlines(&c->info, &row, 1) != 1) {
            return false;
        }
    }
    jpeg_finish_decompress(&c->info);
    return true;
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

uint8_t Multiply(unsigned a, unsigned b) {
    return uint8_t((a * b + 127) / 255);
}

// Adobe's CMYK JPEGs store the inks inverted (0 = full ink); others store them plainly.
void CmykToBgra(Picture& picture, bool inverted) {
    for (uint32_t& pixel : picture.pixels) {
        uint8_t* p = reinterpret_cast<uint8_t*>(&pixel);
        unsigned cmyk[4] = {p[0], p[1], p[2], p[3]};
        if (!inverted) {
            for (unsigned& ink : cmyk) {
                ink = 255 - ink;
            }
        }
        pixel = MakePixel(Multiply(cmyk[0], cmyk[3]), Multiply(cmyk[1], cmyk[3]), Multiply(cmyk[2], cmyk[3]));
    }
}

} // namespace

std::optional<Picture> DecodeJpeg(const uint8_t* data, size_t size) {
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

    Picture picture;
    if (!AllocatePicture(picture, info.image_width, info.image_height, 0xFFFFFFFFu)) {
        return std::nullopt;
    }
    if (!JpegReadPixels(context, reinterpret_cast<uint8_t*>(picture.pixels.data()),
                        static_cast<size_t>(picture.width) * 4, info.image_width, info.image_height) ||
        context->error.num_warnings > 0) {
        return std::nullopt;
    }
    if (cmyk) {
        CmykToBgra(picture, info.saw_Adobe_marker);
    }
    picture.alpha = PictureAlpha::Opaque;
    picture.format = PictureFormat::Jpeg;
    return picture;
}
