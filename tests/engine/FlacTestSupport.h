#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace KisTest {

// Writes a WAVE file of a test signal (a sweep with noise on top, different in every channel), so the
// encoder uses all its subframe kinds. Sizes other than 8 and 16 bits get the extensible header that
// the flac tool expects for them, and so do more than two channels.
inline void WriteTestWave(const std::string& path, int channels, int bits, int frames, uint32_t seed = 1) {
    const int bytes = (bits + 7) / 8;
    std::vector<uint8_t> data;
    data.reserve(static_cast<size_t>(frames) * channels * bytes);
    uint32_t noise = seed * 2654435761u + 12345u;
    const int64_t peak = (int64_t(1) << (bits - 1)) - 1;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const int64_t ramp = ((int64_t(i) * (c + 3) * 977) % (2 * peak)) - peak;
            int64_t value = ramp / 2 + static_cast<int64_t>(noise >> 16) % (peak / 8 + 1);
            if (value > peak) value = peak;
            if (value < -peak - 1) value = -peak - 1;
            if (bits == 8) {
                data.push_back(static_cast<uint8_t>(value + 128));
            } else {
                for (int b = 0; b < bytes; ++b)
                    data.push_back(static_cast<uint8_t>(uint64_t(value) >> (8 * b)));
            }
        }
    }
    const bool extensible = (bits != 8 && bits != 16) || channels > 2;
    const uint32_t formatSize = extensible ? 40 : 16;
    std::string out;
    auto put16 = [&out](uint32_t v) { out.append({char(v & 0xFF), char((v >> 8) & 0xFF)}); };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const uint32_t rate = 44100;
    const uint32_t pad = data.size() & 1;
    out += "RIFF";
    put32(static_cast<uint32_t>(4 + 8 + formatSize + 8 + data.size() + pad));
    out += "WAVEfmt ";
    put32(formatSize);
    put16(extensible ? 0xFFFE : 1);
    put16(channels);
    put32(rate);
    put32(rate * channels * bytes);
    put16(channels * bytes);
    put16(bytes * 8);
    if (extensible) {
        put16(22);
        put16(bits);
        put32(channels == 1 ? 0x4 : channels == 2 ? 0x3 : (1u << channels) - 1);
        out += std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    }
    out += "data";
    put32(static_cast<uint32_t>(data.size()));
    out.append(reinterpret_cast<const char*>(data.data()), data.size());
    if (pad) out.push_back('\0');
    std::ofstream(path, std::ios::binary) << out;
}

inline std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline bool RunCommand(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The flac tool (Debian package flac) serves as encoder and as the decoding oracle.
inline bool FlacToolAvailable() {
    return RunCommand("flac --version");
}

inline bool EncodeWithFlacTool(const std::string& wave, const std::string& output, const char* options = "") {
    return RunCommand(std::string("flac -s -f ") + options + " -o " + ShellQuoted(output) + " " +
                      ShellQuoted(wave));
}

inline bool DecodeWithFlacTool(const std::string& input, const std::string& wave) {
    return RunCommand("flac -s -d -f -o " + ShellQuoted(wave) + " " + ShellQuoted(input));
}

} // namespace KisTest
