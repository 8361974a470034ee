#include "foundation/VImageIOJPEG.h"

#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VImage.h"
#include "foundation/VLog.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

namespace VFoundation {

V_IMPLEMENT_CLASS(VImageIOJPEG, VObject)

namespace {

// A corrupt progressive file can declare thousands of scans, each of them a pass over the whole image.
constexpr int kMaxScans = 500;
constexpr long kMaxDecoderMemory = 256L * 1024L * 1024L;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg's warnings and traces would go straight to the standard error stream.
void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        (*cinfo->err->error_exit)(cinfo);
    }
}

// Wraps one libjpeg decompression over a memory buffer. Every call into libjpeg happens inside a member
// that sets the jump target first and holds no C++ object of its own, so an error leaves it by longjmp
// without skipping a destructor; the member then returns the decoder's error code (0 on success).
class Decoder {
public:
    Decoder(const uint8_t* data, size_t size) {
        std::memset(&m_cinfo, 0, sizeof m_cinfo);
        m_cinfo.err = jpeg_std_error(&m_error.base);
        m_error.base.error_exit = ErrorExit;
        m_error.base.output_message = OutputMessage;
        m_progress.progress_monitor = ProgressMonitor;
        m_createError = Create(data, size);
    }
    ~Decoder() {
        if (m_created) jpeg_destroy_decompress(&m_cinfo);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    bool IsCreated() const { return m_created && m_createError == 0; }
    jpeg_decompress_struct& Info() { return m_cinfo; }
    int ErrorCode() const { return m_error.base.msg_code; }
    size_t BytesRead(size_t size) const { return m_cinfo.src ? size - m_cinfo.src->bytes_in_buffer : 0; }

    int ReadHeader() {
        if (setjmp(m_error.jump)) return Failure();
        jpeg_read_header(&m_cinfo, TRUE);
        return 0;
    }
    int Start() {
        if (setjmp(m_error.jump)) return Failure();
        m_cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&m_cinfo);
        return 0;
    }
    int ReadLine(uint8_t* line) {
        if (setjmp(m_error.jump)) return Failure();
        JSAMPROW row = line;
        if (jpeg_read_scanlines(&m_cinfo, &row, 1) == 1) return 0;
        // A memory source never suspends; a line that does not come is an error.
        m_error.base.msg_code = JERR_INPUT_EMPTY;
        return Failure();
    }
    int Finish() {
        if (setjmp(m_error.jump)) return Failure();
        jpeg_finish_decompress(&m_cinfo);
        return 0;
    }

private:
    int Create(const uint8_t* data, size_t size) {
        if (setjmp(m_error.jump)) return Failure();
        jpeg_create_decompress(&m_cinfo);
        // Set at once (a member, not a local, so it survives the jump): the source set-up below may fail
        // after the decoder exists, and the decoder must still be destroyed.
        m_created = true;
        m_cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
        m_cinfo.progress = &m_progress;
        jpeg_mem_src(&m_cinfo, data, static_cast<unsigned long>(size));
        return 0;
    }
    int Failure() const { return m_error.base.msg_code != 0 ? m_error.base.msg_code : -1; }

    jpeg_decompress_struct m_cinfo;
    ErrorManager m_error;
    jpeg_progress_mgr m_progress{};
    bool m_created = false;
    int m_createError = 0;
};

} // namespace

VImageIOJPEG::VImageIOJPEG() : VObject(GetClassRecord()) {}

VImage* VImageIOJPEG::LoadImageFromFile(const char* path) {
    VString resolved;
    std::vector<uint8_t> data;
    const bool found = VImage::ResolvePath(path, resolved) && VImage::ReadFile(resolved.GetText(), data);
    // A file that cannot be read goes the same way as one that cannot be decoded: the decoding below
    // reports the open failure.
    return LoadImageFromData(found ? data.data() : nullptr, found ? data.size() : 0,
                             found ? resolved.GetText() : (path ? path : ""));
}

VImage* VImageIOJPEG::LoadImageFromData(const uint8_t* data, size_t size, const char* name) {
    if (!name) name = "";
    bool finished = false;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rows;
    size_t stride = 0;

    try {
        if (!data) throw VException(0, nullptr, "Error: Unable to open file for reading!");
        Decoder decoder(data, size);
        if (!decoder.IsCreated()) throw VException(decoder.ErrorCode(), nullptr, "Error: Decoder failed!");
        if (int error = decoder.ReadHeader()) throw VException(error, nullptr, "Error: Decoder failed!");

        jpeg_decompress_struct& info = decoder.Info();
        LogPrintf("Width:%i  Height:%i  Components:%i\n", int(info.image_width), int(info.image_height),
                  info.num_components);
        if (info.num_components != 3) throw VException(0, nullptr, "Only 3-component jpegs are supported");
        // Refused before decoding: the bitmap could not be made anyway, and the decoder would first
        // spend its time and memory on it.
        if (int64_t(info.image_width) * int64_t(info.image_height) > VImage::kMaxPixels)
            throw VException(0, nullptr, "Error: Decoder failed!");

        if (int error = decoder.Start()) throw VException(error, nullptr, "Error: Decoder failed!");
        if (info.output_components != 3) throw VException(0, nullptr, "Only 3-component jpegs are supported");

        width = int(info.output_width);
        height = int(info.output_height);
        stride = (size_t(width) * 3 + 3) & ~size_t(3);
        rows.assign(stride * size_t(height), 0);
        std::vector<uint8_t> line(size_t(width) * 3);
        for (int n = 0; n < height; ++n) {
            if (int error = decoder.ReadLine(line.data()))
                throw VException(error, nullptr, "Error: Decoder failed!");
            uint8_t* target = rows.data() + size_t(height - 1 - n) * stride;
            const uint8_t* source = line.data();
            for (int x = 0; x < width; ++x, source += 3, target += 3) {
                target[0] = source[2];
                target[1] = source[1];
                target[2] = source[0];
            }
            LogPrintf("Lines decoded: %i  inputfileSize:%i   inputBytesRead:%i\n", n + 1, int(size),
                      int(decoder.BytesRead(size)));
        }
        if (int error = decoder.Finish()) throw VException(error, nullptr, "Error: Decoder failed!");
        finished = true;
    } catch (const VException& exception) {
        LogPrintf("VException in VImageIOJPEG::LoadImageFromFile: %s\n",
                  exception.GetDescriptionText().GetText());
    } catch (...) {
        LogPrintf("Exception in VImageIOJPEG::LoadImageFromFile\n");
    }

    if (finished) {
        VImage* image = new VImage();
        if (image->CreateBitmap(width, height, 24)) {
            std::memcpy(image->GetMutableBits(), rows.data(), rows.size());
            image->SetHasAlpha(false);
            image->SetName(name);
            return image;
        }
        image->Release();
    }
    VFoundation::LogPrintf("Failed to load image: %s\n", name);
    return nullptr;
}

} // namespace VFoundation
