#include "instructions/CFlacDecoder.h"

#include "foundation/FilePlatform.h"

#include <FLAC/stream_decoder.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kOutputBufferSize = 1u << 20;
constexpr uint64_t kMaxRiffSize = 0xFFFFFFFFull;
constexpr char kChannelMaskTag[] = "WAVEFORMATEXTENSIBLE_CHANNEL_MASK";
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool SameIgnoringCase(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

FLAC__StreamDecoder* AsDecoder(void* decoder) {
    return static_cast<FLAC__StreamDecoder*>(decoder);
}

uint8_t* Put16(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    return out + 2;
}

uint8_t* Put32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
    return out + 4;
}

uint8_t* PutTag(uint8_t* out, const char* tag) {
    std::memcpy(out, tag, 4);
    return out + 4;
}

// The mask the flac tool assumes for a channel count when the stream names none.
uint32_t DefaultChannelMask(uint32_t channels) {
    switch (channels) {
    case 1:
        return 0x0004;
    case 2:
        return 0x0003;
    case 3:
        return 0x0007;
    case 4:
        return 0x0033;
    case 5:
        return 0x0607;
    case 6:
        return 0x060F;
    case 7:
        return 0x070F;
    case 8:
        return 0x063F;
    default:
        return 0;
    }
}

// The tag is read only in the form "=0x<hex>", as the flac tool reads it.
bool ReadChannelMaskTag(const FLAC__StreamMetadata_VorbisComment& comments, uint32_t& mask) {
    const size_t nameLength = sizeof(kChannelMaskTag) - 1;
    for (uint32_t i = 0; i < comments.num_comments; ++i) {
        const FLAC__StreamMetadata_VorbisComment_Entry& entry = comments.comments[i];
        const char* text = reinterpret_cast<const char*>(entry.entry);
        if (!text || entry.length <= nameLength || text[nameLength] != '=' ||
            !SameIgnoringCase(text, kChannelMaskTag, nameLength))
            continue;
        if (entry.length < nameLength + 4) return false;
        const char* value = text + nameLength;
        if (!SameIgnoringCase(value, "=0x", 3)) return false;
        unsigned parsed = 0;
        if (std::sscanf(value + 3, "%x", &parsed) != 1) return false;
        mask = parsed;
        return true;
    }
    return false;
}

template <int Bytes>
uint8_t* Interleave(uint8_t* out, const int32_t* const channels[], uint32_t channelCount, uint32_t count,
                    int shift) {
    for (uint32_t i = 0; i < count; ++i) {
        for (uint32_t c = 0; c < channelCount; ++c) {
            const uint32_t value = static_cast<uint32_t>(channels[c][i]) << shift;
            if constexpr (Bytes == 1) {
                // 8-bit WAVE samples are unsigned.
                *out++ = static_cast<uint8_t>(value + 0x80);
            } else {
                for (int b = 0; b < Bytes; ++b)
                    *out++ = static_cast<uint8_t>(value >> (8 * b));
            }
        }
    }
    return out;
}

uint8_t* InterleaveStereo16(uint8_t* out, const int32_t* left, const int32_t* right, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t l = static_cast<uint32_t>(left[i]);
        const uint32_t r = static_cast<uint32_t>(right[i]);
        out[0] = static_cast<uint8_t>(l);
        out[1] = static_cast<uint8_t>(l >> 8);
        out[2] = static_cast<uint8_t>(r);
        out[3] = static_cast<uint8_t>(r >> 8);
        out += 4;
    }
    return out;
}

uint8_t* InterleaveStereo24(uint8_t* out, const int32_t* left, const int32_t* right, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t l = static_cast<uint32_t>(left[i]);
        const uint32_t r = static_cast<uint32_t>(right[i]);
        out[0] = static_cast<uint8_t>(l);
        out[1] = static_cast<uint8_t>(l >> 8);
        out[2] = static_cast<uint8_t>(l >> 16);
        out[3] = static_cast<uint8_t>(r);
        out[4] = static_cast<uint8_t>(r >> 8);
        out[5] = static_cast<uint8_t>(r >> 16);
        out += 6;
    }
    return out;
}

} // namespace

struct CFlacDecoder::Callbacks {
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* clientData) {
        auto* self = static_cast<CFlacDecoder*>(clientData);
        // Every frame must agree with the stream's header, which the WAVE header was written from.
        if (self->m_failed || !self->m_headerWritten || frame->header.channels != self->m_channels ||
            frame->header.bits_per_sample != self->m_bitsPerSample ||
            frame->header.sample_rate != self->m_sampleRate) {
            self->m_failed = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        if (!self->ConvertBlock(buffer, frame->header.blocksize)) {
            self->m_failed = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* clientData) {
        auto* self = static_cast<CFlacDecoder*>(clientData);
        if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
            const FLAC__StreamMetadata_StreamInfo& info = metadata->data.stream_info;
            self->m_haveStreamInfo = true;
            self->m_sampleRate = info.sample_rate;
            self->m_channels = info.channels;
            self->m_bitsPerSample = info.bits_per_sample;
            self->m_totalSamples = info.total_samples;
        } else if (metadata->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
            uint32_t mask = 0;
            if (ReadChannelMaskTag(metadata->data.vorbis_comment, mask)) self->m_channelMask = mask;
        }
    }

    static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* clientData) {
        static_cast<CFlacDecoder*>(clientData)->m_failed = true;
    }
};

CFlacDecoder::CFlacDecoder() {}

CFlacDecoder::~CFlacDecoder() {
    if (m_decoder) FLAC__stream_decoder_delete(AsDecoder(m_decoder));
}

int CFlacDecoder::DecodeFile(const char* sourcePath, const char* outputPath) {
    CFlacDecoder decoder;
    return decoder.Decode(sourcePath, outputPath);
}

int CFlacDecoder::Decode(const char* sourcePath, const char* outputPath) {
    if (!sourcePath || !outputPath) return 1;
    if (!m_decoder) {
        m_decoder = FLAC__stream_decoder_new();
        if (!m_decoder) return 1;
    }
    FLAC__StreamDecoder* decoder = AsDecoder(m_decoder);
    FLAC__stream_decoder_set_md5_checking(decoder, true);
    FLAC__stream_decoder_set_metadata_ignore_all(decoder);
    FLAC__stream_decoder_set_metadata_respond(decoder, FLAC__METADATA_TYPE_STREAMINFO);
    FLAC__stream_decoder_set_metadata_respond(decoder, FLAC__METADATA_TYPE_VORBIS_COMMENT);

    m_haveStreamInfo = m_headerWritten = m_failed = false;
    m_sampleRate = m_channels = m_bitsPerSample = m_channelMask = 0;
    m_totalSamples = m_samplesWritten = m_headerDataBytes = 0;
    m_buffered = 0;
    if (m_buffer.size() < kOutputBufferSize) m_buffer.resize(kOutputBufferSize);

    if (FLAC__stream_decoder_init_file(decoder, sourcePath, &Callbacks::Write, &Callbacks::Metadata,
                                       &Callbacks::Error, this) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        FLAC__stream_decoder_finish(decoder);
        return 1;
    }

    bool ok = FLAC__stream_decoder_process_until_end_of_metadata(decoder) && !m_failed && m_haveStreamInfo &&
              m_channels > 0 && m_bitsPerSample >= 4 && m_bitsPerSample <= 32;
    if (ok) {
        // A file or link at the output name is replaced, never written through: it is removed and the
        // output created anew, only when nothing is there and not inherited by child processes.
        std::remove(outputPath);
        m_output = VFoundation::FilePlatform::CreateNewFile(outputPath);
        ok = m_output != nullptr;
    }
    if (ok) {
        const uint32_t blockAlign = m_channels * ((m_bitsPerSample + 7) / 8);
        ok = m_totalSamples <= kMaxRiffSize / blockAlign && WriteHeader(m_totalSamples * blockAlign);
    }
    if (ok) {
        ok = FLAC__stream_decoder_process_until_end_of_stream(decoder) && !m_failed &&
             FLAC__stream_decoder_get_state(decoder) == FLAC__STREAM_DECODER_END_OF_STREAM;
    }
    // A stream that says how long it is must deliver exactly that; a short one was cut off.
    if (ok && m_totalSamples != 0) ok = m_samplesWritten == m_totalSamples;
    if (ok) ok = FinishOutput();
    // Finishing compares the MD5 signature; it also readies the decoder for the next call.
    const bool signatureMatches = FLAC__stream_decoder_finish(decoder) != 0;
    ok = ok && signatureMatches;

    if (m_output) {
        if (std::fclose(m_output) != 0) ok = false;
        m_output = nullptr;
        if (!ok) std::remove(outputPath);
    }
    return ok ? 0 : 1;
}

bool CFlacDecoder::WriteHeader(uint64_t dataBytes) {
    const uint32_t containerBytes = (m_bitsPerSample + 7) / 8;
    const uint32_t blockAlign = m_channels * containerBytes;
    const bool extensible = (m_channelMask != 0 && m_channelMask != 0x0004 && m_channelMask != 0x0003) ||
                            (m_bitsPerSample != 8 && m_bitsPerSample != 16) || m_channels > 2;
    const uint32_t formatBytes = extensible ? 40 : 16;
    const uint64_t pad = dataBytes & 1;
    const uint64_t riffSize = 4 + 8 + formatBytes + 8 + dataBytes + pad;
    if (riffSize > kMaxRiffSize) return false;

    uint8_t header[68];
    uint8_t* out = PutTag(header, "RIFF");
    out = Put32(out, static_cast<uint32_t>(riffSize));
    out = PutTag(out, "WAVE");
    out = PutTag(out, "fmt ");
    out = Put32(out, formatBytes);
    out = Put16(out, extensible ? 0xFFFE : 0x0001);
    out = Put16(out, m_channels);
    out = Put32(out, m_sampleRate);
    out = Put32(out, m_sampleRate * blockAlign);
    out = Put16(out, blockAlign);
    out = Put16(out, containerBytes * 8);
    if (extensible) {
        out = Put16(out, 22);
        out = Put16(out, m_bitsPerSample);
        out = Put32(out, m_channelMask ? m_channelMask : DefaultChannelMask(m_channels));
        std::memcpy(out, kPcmSubFormat, sizeof(kPcmSubFormat));
        out += sizeof(kPcmSubFormat);
    }
    out = PutTag(out, "data");
    out = Put32(out, static_cast<uint32_t>(dataBytes));

    const size_t size = static_cast<size_t>(out - header);
    if (std::fwrite(header, 1, size, m_output) != size) return false;
    m_headerWritten = true;
    m_headerDataBytes = dataBytes;
    return true;
}

bool CFlacDecoder::ConvertBlock(const int32_t* const channels[], uint32_t blockSize) {
    const uint32_t containerBytes = (m_bitsPerSample + 7) / 8;
    const size_t needed = static_cast<size_t>(blockSize) * m_channels * containerBytes;
    // The stream must not run past the length its header promised (the header is already written).
    if (m_totalSamples != 0 && m_samplesWritten + blockSize > m_totalSamples) return false;
    if (m_buffered + needed > m_buffer.size()) {
        if (!Flush()) return false;
        if (needed > m_buffer.size()) m_buffer.resize(needed);
    }
    // Samples narrower than their container sit in its high bits, as the flac tool writes them.
    const int shift = static_cast<int>(containerBytes * 8 - m_bitsPerSample);
    uint8_t* out = m_buffer.data() + m_buffered;
    if (m_channels == 2 && m_bitsPerSample == 16)
        InterleaveStereo16(out, channels[0], channels[1], blockSize);
    else if (m_channels == 2 && m_bitsPerSample == 24)
        InterleaveStereo24(out, channels[0], channels[1], blockSize);
    else if (containerBytes == 1)
        Interleave<1>(out, channels, m_channels, blockSize, shift);
    else if (containerBytes == 2)
        Interleave<2>(out, channels, m_channels, blockSize, shift);
    else if (containerBytes == 3)
        Interleave<3>(out, channels, m_channels, blockSize, shift);
    else
        Interleave<4>(out, channels, m_channels, blockSize, shift);
    m_buffered += needed;
    m_samplesWritten += blockSize;
    return true;
}

bool CFlacDecoder::Flush() {
    if (m_buffered == 0) return true;
    const bool written = std::fwrite(m_buffer.data(), 1, m_buffered, m_output) == m_buffered;
    m_buffered = 0;
    return written;
}

bool CFlacDecoder::FinishOutput() {
    const uint64_t dataBytes = m_samplesWritten * m_channels * ((m_bitsPerSample + 7) / 8);
    if (dataBytes & 1) {
        if (m_buffered == m_buffer.size() && !Flush()) return false;
        m_buffer[m_buffered++] = 0;
    }
    if (!Flush()) return false;
    // A stream of unknown length gets its sizes once it has been decoded.
    if (dataBytes != m_headerDataBytes) {
        if (std::fseek(m_output, 0, SEEK_SET) != 0 || !WriteHeader(dataBytes)) return false;
    }
    return std::fflush(m_output) == 0;
}
