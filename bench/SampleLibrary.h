#pragma once

// The generated compressed sample library that the install benchmarks decode.

#include "BenchSupport.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace KisBench {

namespace fs = std::filesystem;

inline void Put(std::string& out, uint32_t value, int bytes) {
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<char>((value >> (8 * b)) & 0xFF));
}

// A drum-like one-shot: a decaying mix of a falling tone and noise, stereo, in a plain PCM header (16-bit)
// or an extensible one (24-bit), as the flac tool reads them.
inline void WriteOneShot(const fs::path& path, int bits, int frames, uint32_t seed) {
    const int bytes = bits / 8;
    std::string out;
    out.reserve(static_cast<size_t>(frames) * 2 * bytes + 80);
    const bool extensible = bits != 16;
    const uint32_t dataSize = static_cast<uint32_t>(frames) * 2 * bytes;
    out += "RIFF";
    Put(out, 4 + 8 + (extensible ? 40 : 16) + 8 + dataSize, 4);
    out += "WAVEfmt ";
    Put(out, extensible ? 40 : 16, 4);
    Put(out, extensible ? 0xFFFE : 1, 2);
    Put(out, 2, 2);
    Put(out, 44100, 4);
    Put(out, 44100 * 2 * bytes, 4);
    Put(out, 2 * bytes, 2);
    Put(out, bits, 2);
    if (extensible) {
        Put(out, 22, 2);
        Put(out, bits, 2);
        Put(out, 3, 4);
        out += std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    }
    out += "data";
    Put(out, dataSize, 4);
    const double peak = std::ldexp(1.0, bits - 1) - 1;
    uint32_t noise = seed * 2654435761u + 1;
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        const double envelope = std::exp(-i / (44100.0 * 0.25));
        phase += 2 * 3.14159265358979 * (60 + 140 * std::exp(-i / 4000.0)) / 44100.0;
        for (int c = 0; c < 2; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double white = (static_cast<int32_t>(noise) / 2147483648.0) * (0.3 + 0.1 * c);
            const double value = envelope * (0.6 * std::sin(phase + c * 0.3) + white) * peak * 0.9;
            Put(out, static_cast<uint32_t>(static_cast<int32_t>(value)), bytes);
        }
    }
    std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}

struct Library {
    uint64_t waveBytes = 0;
    int files = 0;
    int folders = 0;
    std::vector<std::string> relativeFiles; // the .zdrca files, relative to the root
};

// Names are unique over the library: the flac tool writes every output into the one prefix folder.
inline std::string HitName(int kit, int bits, int index) {
    return "Kit" + std::to_string(kit) + "_" + std::to_string(bits) + "_Hit" + std::to_string(index);
}

// Kits with a 16-bit and a 24-bit folder of one-shots (0.5 to 2 seconds), encoded with the flac tool at
// its default level and renamed to ".zdrca".
inline Library GenerateLibrary(const fs::path& root, uint64_t targetBytes) {
    Library library;
    for (int kit = 0; library.waveBytes < targetBytes; ++kit) {
        for (int bits : {16, 24}) {
            const std::string relativeFolder = "Library" + std::to_string(kit % 3) + "/Kit" +
                                               std::to_string(kit) + (bits == 16 ? "/Soft" : "/Hard");
            const fs::path folder = root / relativeFolder;
            fs::create_directories(folder);
            for (int i = 0; i < 24; ++i) {
                const int frames = 22050 + ((kit * 24 + i) * 7919) % 66150;
                const std::string name = HitName(kit, bits, i);
                WriteOneShot(folder / (name + ".wav"), bits, frames,
                             static_cast<uint32_t>(kit * 100 + i + bits));
                library.waveBytes += static_cast<uint64_t>(frames) * 2 * (bits / 8) + (bits == 16 ? 44 : 68);
                library.relativeFiles.push_back(relativeFolder + "/" + name + ".zdrca");
                ++library.files;
            }
            const std::string encode = "cd " + Quoted(folder) + " && flac -s -f --delete-input-file *.wav";
            if (std::system(encode.c_str()) != 0) return {};
            for (int i = 0; i < 24; ++i)
                fs::rename(folder / (HitName(kit, bits, i) + ".flac"),
                           folder / (HitName(kit, bits, i) + ".zdrca"));
            ++library.folders;
        }
    }
    return library;
}

inline uint64_t FolderBytes(const fs::path& folder) {
    uint64_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".wav") total += entry.file_size();
    return total;
}

} // namespace KisBench
