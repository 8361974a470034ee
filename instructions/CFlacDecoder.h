#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Decodes a FLAC stream file into a WAVE file in-process, writing the same bytes as the flac tool's
// "flac -d -f -o OUT IN": a plain PCM header for 8- and 16-bit mono or stereo, WAVE_FORMAT_EXTENSIBLE
// for other sample sizes, more than two channels or a channel mask tag
// (WAVEFORMATEXTENSIBLE_CHANNEL_MASK) that is not the default.
//
// A decode succeeds only when the whole stream decoded without a frame error, every frame agrees with the
// stream's header on channels, sample size and sample rate, the sample count agrees with it and the stream's
// MD5 signature (when it carries one) matches the audio. The output is created (an existing file or link at
// its name replaced, never written through) only once the stream's header has been read; a failure after that
// removes it, so a failed decode never leaves a damaged file behind. Nothing is printed.
//
// One instance decodes one file at a time and can be used again and again; it keeps its libFLAC decoder
// and buffers between calls. Instances share nothing, so two threads may each use their own.
class CFlacDecoder {
public:
    CFlacDecoder();
    ~CFlacDecoder();
    CFlacDecoder(const CFlacDecoder&) = delete;
    CFlacDecoder& operator=(const CFlacDecoder&) = delete;

    // 0 on success, non-zero on any failure.
    int Decode(const char* sourcePath, const char* outputPath);

    // The same with a decoder of its own for the call.
    static int DecodeFile(const char* sourcePath, const char* outputPath);

    // The callbacks of libFLAC reach the instance through these; not for other callers.
    struct Callbacks;

private:
    bool WriteHeader(uint64_t dataBytes);
    bool ConvertBlock(const int32_t* const channels[], uint32_t blockSize);
    bool Flush();
    bool FinishOutput();

    void* m_decoder = nullptr; // FLAC__StreamDecoder
    FILE* m_output = nullptr;
    std::vector<uint8_t> m_buffer;
    size_t m_buffered = 0;
    std::vector<char> m_inputBuffer;

    // The stream being decoded.
    bool m_haveStreamInfo = false;
    bool m_headerWritten = false;
    bool m_failed = false;
    uint32_t m_sampleRate = 0;
    uint32_t m_channels = 0;
    uint32_t m_bitsPerSample = 0;
    uint64_t m_totalSamples = 0;
    uint64_t m_samplesWritten = 0;
    uint32_t m_channelMask = 0;
    uint64_t m_headerDataBytes = 0;
};
