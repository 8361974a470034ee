#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// The progress lines of an unattended run (--progress): "Progress: NN% TEXT" on the given stream, NN the
// whole percentage and TEXT the status text of the moment. A line is written only when the percentage has
// risen since the last line and at most every kMinimumSpacing, so lines never go backwards and a wrapper
// reading them is not flooded; Finish writes the closing "Progress: 100%".
//
// Threads: used on one thread (the user-interface thread, from the silent driver's timer).
class CProgressReporter {
public:
    static constexpr std::chrono::milliseconds kMinimumSpacing{500};

    explicit CProgressReporter(std::FILE* out) : m_out(out) {}

    // fraction 0 to 1 (clamped). now is the caller's clock, so tests can drive it.
    void Report(float fraction, const std::string& text, std::chrono::steady_clock::time_point now);
    // After a successful installation.
    void Finish();
    int GetLastPercent() const { return m_lastPercent; }

private:
    std::FILE* m_out;
    int m_lastPercent = -1;
    bool m_written = false;
    std::chrono::steady_clock::time_point m_lastLine{};
};
