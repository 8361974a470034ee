// kis_make_demo TEMPLATE OUT
//
// Builds the demo install medium in OUT: copies the committed files of TEMPLATE (script, documents,
// payload, the kit pieces' descriptions), then draws every picture the wizard shows (skin, stage
// marks, check boxes, splash screen, slides, the closing picture, the kit piece photos) and encodes
// a few synthetic drum one-shots per kit piece as FLAC streams with the library's ".zdrca" extension.
// Everything generated is reproducible: the noise comes from a fixed seed.

#include "examples/tools/DemoCanvas.h"
#include "foundation/VFoundation.h"

#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Colour = DemoCanvas::Colour;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSampleRate = 44100;

Colour Rgb(int r, int g, int b, float a = 1.0f) {
    return Colour{float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, a};
}

// The demo's palette: night blue, aurora green and violet on pale blue-grey.
const Colour kInk = Rgb(31, 45, 66);
const Colour kNight = Rgb(20, 33, 61);
const Colour kNightLight = Rgb(44, 70, 120);
const Colour kAurora = Rgb(72, 199, 142);
const Colour kViolet = Rgb(140, 110, 220);
const Colour kPaleTop = Rgb(236, 241, 247);
const Colour kPaleBottom = Rgb(250, 251, 253);

bool g_failed = false;

void Save(const DemoCanvas& canvas, const fs::path& path) {
    fs::create_directories(path.parent_path());
    if (!canvas.WriteTarga(path.string().c_str())) {
        std::fprintf(stderr, "kis_make_demo: cannot write %s\n", path.string().c_str());
        g_failed = true;
    }
}

// Soft curtains of light across a night sky: the motif of the splash screen, slides and closing picture.
void DrawAuroraSky(DemoCanvas& canvas, unsigned seed) {
    const float w = float(canvas.GetWidth()), h = float(canvas.GetHeight());
    canvas.FillVerticalGradient(kNight, kNightLight);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int band = 0; band < 3; ++band) {
        const Colour colour = band == 1 ? kViolet : kAurora;
        const float phase = unit(random) * 6.0f;
        const float baseY = h * (0.25f + 0.12f * float(band));
        for (int x = 0; x < int(w); x += 2) {
            const float y = baseY + std::sin(float(x) / w * 5.0f + phase) * h * 0.08f;
            const float alpha = 0.05f + 0.05f * std::sin(float(x) / w * 9.0f + phase * 2.0f);
            canvas.FillRoundedRect(float(x), y - h * 0.18f, 2.0f, h * 0.2f, 0.0f,
                                   Colour{colour.r, colour.g, colour.b, std::max(0.02f, alpha)});
        }
    }
    for (int star = 0; star < int(w * h / 2500.0f); ++star) {
        const float size = 0.6f + unit(random);
        canvas.FillEllipse(unit(random) * w, unit(random) * h * 0.6f, size, size, Rgb(255, 255, 255, 0.7f));
    }
}

// A drum seen from the front: shell, hoops and tension rods.
void DrawDrum(DemoCanvas& canvas, float cx, float cy, float width, float height, Colour shell) {
    const float rx = width / 2.0f, ry = width / 7.0f;
    canvas.FillRoundedRect(cx - rx, cy - height / 2.0f, width, height, 0.0f, shell);
    canvas.FillEllipse(cx, cy + height / 2.0f, rx, ry, shell);
    canvas.FillRoundedRect(cx - rx, cy - height / 2.0f, width, height * 0.12f, 0.0f, Rgb(210, 214, 222));
    canvas.FillRoundedRect(cx - rx, cy + height / 2.0f - height * 0.12f, width, height * 0.12f, 0.0f,
                           Rgb(210, 214, 222));
    for (int rod = 1; rod < 6; ++rod) {
        const float x = cx - rx + width * float(rod) / 6.0f;
        canvas.DrawLine(x, cy - height / 2.0f, x, cy + height / 2.0f, 1.5f, Rgb(190, 195, 205));
    }
    canvas.FillEllipse(cx, cy - height / 2.0f, rx, ry, Rgb(240, 238, 230));
    canvas.StrokeEllipse(cx, cy - height / 2.0f, rx, ry, 2.0f, Rgb(180, 186, 198));
}

void DrawCymbal(DemoCanvas& canvas, float cx, float cy, float radius) {
    canvas.DrawLine(cx, cy, cx, cy + radius * 1.6f, 3.0f, Rgb(120, 125, 135));
    canvas.FillEllipse(cx, cy, radius, radius * 0.22f, Rgb(214, 176, 84));
    canvas.StrokeEllipse(cx, cy, radius * 0.7f, radius * 0.15f, 1.2f, Rgb(240, 210, 130));
    canvas.FillEllipse(cx, cy - radius * 0.03f, radius * 0.16f, radius * 0.07f, Rgb(190, 150, 60));
}

// The wizard's skin: background, buttons, stage marks and check boxes.
void DrawSkin(const fs::path& resources) {
    {
        DemoCanvas background(600, 400);
        background.FillVerticalGradient(kPaleTop, kPaleBottom);
        // The stage column on the left and the button strip at the bottom, in a slightly deeper tint.
        background.FillVerticalGradient(0, 0, 130, 400, 0, Rgb(214, 225, 238), Rgb(232, 238, 246));
        background.FillRoundedRect(129, 0, 1, 400, 0, Rgb(190, 204, 222));
        background.FillRoundedRect(130, 360, 470, 40, 0, Rgb(226, 233, 242));
        background.FillRoundedRect(130, 360, 470, 1, 0, Rgb(200, 212, 228));
        background.FillRoundedRect(12, 372, 14, 14, 3, kAurora);
        background.FillRoundedRect(16, 376, 6, 6, 1, kNight);
        background.DrawText(32, 373, "Aurora", 2.0f, kNightLight);
        Save(background, resources / "InstallerBackground.tga");
    }
    struct ButtonLook {
        const char* file;
        Colour top, bottom, border;
        float shift;
    };
    const ButtonLook looks[] = {
        {"UpButton.tga", Rgb(252, 253, 255), Rgb(214, 224, 238), Rgb(128, 148, 178), 0.0f},
        {"OverButton.tga", Rgb(240, 252, 246), Rgb(178, 232, 206), Rgb(58, 160, 116), 0.0f},
        {"DownButton.tga", Rgb(160, 182, 212), Rgb(206, 218, 236), Rgb(70, 92, 130), 1.0f},
    };
    for (const ButtonLook& look : looks) {
        DemoCanvas button(75, 23);
        button.FillRoundedRect(0, 0, 75, 23, 5, look.border);
        button.FillVerticalGradient(1, 1, 73, 21, 4, look.top, look.bottom);
        // A highlight along the top edge, a pressed button has none.
        if (look.shift == 0.0f) button.FillRoundedRect(4, 2, 67, 1, 0, Rgb(255, 255, 255, 0.8f));
        Save(button, resources / look.file);
    }
    {
        DemoCanvas done(16, 16);
        done.FillEllipse(8, 8, 7.5f, 7.5f, kAurora);
        done.DrawLine(4.5f, 8.5f, 7.0f, 11.0f, 2.0f, Rgb(255, 255, 255));
        done.DrawLine(7.0f, 11.0f, 11.5f, 5.0f, 2.0f, Rgb(255, 255, 255));
        Save(done, resources / "StageDone.tga");

        DemoCanvas current(16, 16);
        current.FillEllipse(8, 8, 7.5f, 7.5f, Rgb(214, 68, 68));
        current.FillPolygon({6, 4.5f, 11.5f, 8, 6, 11.5f}, Rgb(255, 255, 255));
        Save(current, resources / "StageCurrent.tga");

        DemoCanvas notDone(16, 16);
        notDone.StrokeEllipse(8, 8, 7.0f, 7.0f, 1.6f, Rgb(160, 170, 186));
        notDone.FillEllipse(8, 8, 2.0f, 2.0f, Rgb(190, 198, 210));
        Save(notDone, resources / "StageNotDone.tga");
    }
    {
        DemoCanvas off(15, 15);
        off.FillRoundedRect(0, 0, 15, 15, 3, Rgb(84, 100, 128));
        off.FillVerticalGradient(1.5f, 1.5f, 12, 12, 2, Rgb(236, 240, 246), Rgb(252, 253, 255));
        Save(off, resources / "Off.tga");

        DemoCanvas on(15, 15);
        on.FillRoundedRect(0, 0, 15, 15, 3, Rgb(40, 130, 90));
        on.FillVerticalGradient(1, 1, 13, 13, 2, Rgb(98, 214, 160), Rgb(56, 168, 118));
        on.DrawLine(3.8f, 7.8f, 6.3f, 10.5f, 2.0f, Rgb(255, 255, 255));
        on.DrawLine(6.3f, 10.5f, 11.2f, 4.2f, 2.0f, Rgb(255, 255, 255));
        Save(on, resources / "On.tga");
    }
}

void DrawPictures(const fs::path& installer) {
    {
        DemoCanvas splash(420, 260);
        DrawAuroraSky(splash, 7);
        DrawDrum(splash, 210, 170, 120, 56, Rgb(40, 150, 120));
        DrawCymbal(splash, 110, 130, 50);
        DrawCymbal(splash, 315, 120, 44);
        splash.DrawTextCentred(210, 36, "Aurora Drums", 4.0f, Rgb(255, 255, 255));
        splash.DrawTextCentred(210, 76, "Northwind Audio", 2.0f, Rgb(190, 236, 214));
        splash.DrawTextCentred(210, 236, "Preparing the installer...", 1.5f, Rgb(220, 228, 240));
        Save(splash, installer / "Splash.tga");
    }
    struct Slide {
        const char* file;
        const char* title;
        const char* line1;
        const char* line2;
    };
    const Slide slides[] = {
        {"01-Kit.tga", "Six kit pieces", "Kicks, snares and cymbals", "recorded at three strengths"},
        {"02-Mix.tga", "Mix presets", "Stereo or surround,", "ready for your projects"},
        {"03-Play.tga", "Play at once", "Open Aurora Drums from", "the shortcut on your desktop"},
    };
    unsigned seed = 11;
    for (const Slide& slide : slides) {
        DemoCanvas canvas(450, 300);
        DrawAuroraSky(canvas, seed++);
        canvas.FillRoundedRect(30, 170, 390, 100, 12, Rgb(255, 255, 255, 0.14f));
        canvas.DrawTextCentred(225, 40, slide.title, 3.5f, Rgb(255, 255, 255));
        canvas.DrawTextCentred(225, 195, slide.line1, 2.0f, Rgb(226, 240, 236));
        canvas.DrawTextCentred(225, 228, slide.line2, 2.0f, Rgb(226, 240, 236));
        if (seed == 12) {
            DrawDrum(canvas, 150, 120, 80, 40, Rgb(200, 70, 70));
            DrawDrum(canvas, 300, 120, 80, 40, Rgb(40, 150, 120));
        } else if (seed == 13) {
            for (int bar = 0; bar < 12; ++bar)
                canvas.FillRoundedRect(110 + bar * 20, 150 - 6 * ((bar * 7) % 9), 12,
                                       12 + 6 * ((bar * 7) % 9), 3, bar % 2 ? kAurora : kViolet);
        } else {
            DrawCymbal(canvas, 225, 105, 60);
        }
        Save(canvas, installer / "Slides" / slide.file);
    }
    {
        DemoCanvas finish(450, 340);
        DrawAuroraSky(finish, 23);
        DrawDrum(finish, 225, 200, 150, 70, Rgb(40, 150, 120));
        DrawDrum(finish, 110, 220, 90, 46, Rgb(200, 70, 70));
        DrawDrum(finish, 340, 220, 90, 46, Rgb(110, 90, 190));
        DrawCymbal(finish, 80, 140, 55);
        DrawCymbal(finish, 370, 130, 55);
        finish.DrawTextCentred(225, 30, "Ready to play", 3.5f, Rgb(255, 255, 255));
        finish.DrawTextCentred(225, 300, "Thank you for choosing Aurora Drums", 1.6f, Rgb(220, 236, 230));
        Save(finish, installer / "Images" / "Finish.tga");
    }
}

// The photo of one kit piece: the instrument on a soft studio backdrop.
void DrawPhoto(const fs::path& path, const std::string& category, int index) {
    DemoCanvas photo(130, 108);
    photo.FillVerticalGradient(Rgb(70, 78, 96), Rgb(30, 34, 44));
    photo.FillEllipse(65, 96, 60, 10, Rgb(0, 0, 0, 0.35f));
    if (category == "Cymbals") {
        DrawCymbal(photo, 65, 46, index ? 52 : 44);
    } else if (category == "Kicks") {
        const Colour shell = index ? Rgb(60, 110, 180) : Rgb(180, 60, 60);
        photo.FillEllipse(65, 54, 40, 40, shell);
        photo.FillEllipse(65, 54, 34, 34, Rgb(236, 232, 222));
        photo.FillEllipse(65, 54, 12, 12, Rgb(40, 40, 48));
        photo.StrokeEllipse(65, 54, 40, 40, 3, Rgb(210, 214, 222));
    } else {
        DrawDrum(photo, 65, 58, 96, index ? 44 : 34, index ? Rgb(200, 170, 70) : Rgb(150, 100, 60));
    }
    Save(photo, path);
}

// One synthetic one-shot: a kick's falling sine, a snare's tone and noise, a cymbal's long bright noise.
std::vector<int32_t> SynthesiseHit(const std::string& category, int piece, float strength, unsigned seed) {
    const double seconds = category == "Cymbals" ? 1.8 : 0.45;
    const size_t count = size_t(seconds * kSampleRate);
    std::vector<int32_t> samples(count);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    // Even numbers are the first articulation, odd pieces are the second piece of their category.
    const int variant = piece % 2;
    const double damping = piece >= 2 ? 1.8 : 1.0;
    double phase = 0.0, previous = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = double(i) / kSampleRate;
        double value = 0.0;
        if (category == "Kicks") {
            const double frequency = (variant ? 60.0 : 48.0) + 90.0 * std::exp(-t * 30.0);
            phase += 2.0 * kPi * frequency / kSampleRate;
            value = std::sin(phase) * std::exp(-t * (variant ? 9.0 : 6.0) * damping);
        } else if (category == "Snares") {
            phase += 2.0 * kPi * (variant ? 210.0 : 180.0) * (piece >= 2 ? 1.4 : 1.0) / kSampleRate;
            value = 0.5 * std::sin(phase) * std::exp(-t * 25.0) +
                    0.6 * noise(random) * std::exp(-t * (variant ? 14.0 : 10.0) * damping);
        } else {
            // A first difference of the noise tilts it towards the bright end.
            const double white = noise(random);
            value = 0.7 * (white - previous) * 0.5 * std::exp(-t * (variant ? 3.0 : 5.0) * damping);
            previous = white;
        }
        const double attack = std::min(1.0, t * 2000.0);
        samples[i] = int32_t(std::lround(value * attack * strength * 30000.0));
    }
    return samples;
}

bool WriteFlac(const fs::path& path, const std::vector<int32_t>& samples) {
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    if (!encoder) return false;
    bool ok = FLAC__stream_encoder_set_channels(encoder, 1) &&
              FLAC__stream_encoder_set_bits_per_sample(encoder, 16) &&
              FLAC__stream_encoder_set_sample_rate(encoder, kSampleRate) &&
              FLAC__stream_encoder_set_compression_level(encoder, 5) &&
              FLAC__stream_encoder_set_total_samples_estimate(encoder, samples.size());
    ok = ok && FLAC__stream_encoder_init_file(encoder, path.string().c_str(), nullptr, nullptr) ==
                   FLAC__STREAM_ENCODER_INIT_STATUS_OK;
    if (ok) {
        ok = FLAC__stream_encoder_process_interleaved(encoder, samples.data(), unsigned(samples.size()));
        ok = FLAC__stream_encoder_finish(encoder) && ok;
    }
    FLAC__stream_encoder_delete(encoder);
    return ok;
}

// The ways each kind of piece is played; every way is a folder of one-shots below the piece's folder.
std::vector<std::string> ArticulationsOf(const std::string& category) {
    if (category == "Kicks") return {"Open", "Muted"};
    if (category == "Snares") return {"Centre", "Rimshot"};
    return {"Bow", "Edge"};
}

// Every piece folder below Library/<category>/ gets its photo and, per articulation, one one-shot per
// strength. The strengths sort soft first, so a size that takes one file per folder takes the soft one.
void BuildLibrary(const fs::path& library) {
    if (!fs::is_directory(library)) return;
    const char* strengths[] = {"1-Soft", "2-Medium", "3-Hard"};
    const float levels[] = {0.35f, 0.65f, 1.0f};
    unsigned seed = 101;
    for (const auto& category : fs::directory_iterator(library)) {
        if (!category.is_directory()) continue;
        const std::string categoryName = category.path().filename().string();
        std::vector<fs::path> pieces;
        for (const auto& piece : fs::directory_iterator(category.path()))
            if (piece.is_directory()) pieces.push_back(piece.path());
        std::sort(pieces.begin(), pieces.end());
        for (size_t index = 0; index < pieces.size(); ++index) {
            DrawPhoto(pieces[index] / "Photo.tga", categoryName, int(index));
            const std::vector<std::string> articulations = ArticulationsOf(categoryName);
            for (size_t way = 0; way < articulations.size(); ++way) {
                const fs::path folder = pieces[index] / articulations[way];
                fs::create_directories(folder);
                for (int s = 0; s < 3; ++s) {
                    const fs::path file = folder / (std::string(strengths[s]) + ".zdrca");
                    // The second articulation is the shorter, brighter one.
                    const float level = levels[s] * (way ? 0.8f : 1.0f);
                    if (!WriteFlac(file, SynthesiseHit(categoryName, int(index + 2 * way), level, seed++))) {
                        std::fprintf(stderr, "kis_make_demo: cannot encode %s\n", file.string().c_str());
                        g_failed = true;
                    }
                }
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kis_make_demo TEMPLATE_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path source(argv[1]), output(argv[2]);
    if (!fs::is_directory(source / "Installer")) {
        std::fprintf(stderr, "kis_make_demo: %s holds no Installer folder\n", source.string().c_str());
        return 2;
    }
    std::error_code error;
    fs::create_directories(output, error);
    fs::copy(source, output, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "kis_make_demo: cannot copy %s to %s: %s\n", source.string().c_str(),
                     output.string().c_str(), error.message().c_str());
        return 1;
    }
    VFoundation::InitializeLibrary();
    DrawSkin(output / "Installer" / "Resources");
    DrawPictures(output / "Installer");
    BuildLibrary(output / "Library");
    VFoundation::UninitilizeLibrary(false);
    if (g_failed) return 1;
    std::printf("kis_make_demo: medium ready in %s\n", output.string().c_str());
    return 0;
}
