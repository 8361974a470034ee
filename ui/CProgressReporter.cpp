#include "ui/CProgressReporter.h"

#include <algorithm>

void CProgressReporter::Report(float fraction, const std::string& text,
                               std::chrono::steady_clock::time_point now) {
    // 100 % is kept for Finish: until then the installation is not done, however the shares add up.
    const int percent = std::clamp(static_cast<int>(std::clamp(fraction, 0.0f, 1.0f) * 100.0f), 0, 99);
    if (percent <= m_lastPercent) return;
    if (m_written && now - m_lastLine < kMinimumSpacing) return;
    m_lastPercent = percent;
    m_lastLine = now;
    m_written = true;
    if (text.empty())
        std::fprintf(m_out, "Progress: %d%%\n", percent);
    else
        std::fprintf(m_out, "Progress: %d%% %s\n", percent, text.c_str());
    std::fflush(m_out);
}

void CProgressReporter::Finish() {
    m_lastPercent = 100;
    std::fprintf(m_out, "Progress: 100%%\n");
    std::fflush(m_out);
}
