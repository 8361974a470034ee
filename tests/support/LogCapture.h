#pragma once

#include "foundation/VLog.h"

#include <mutex>
#include <string>

namespace KisTest {

// Replaces the process-wide log for a scope: every diagnostic line goes to a buffer that the test can
// read instead of to the standard error stream. The previous log comes back when the guard goes.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string Text() const;
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }
    void Clear();

private:
    class CaptureLog;
    CaptureLog* m_log;
    VFoundation::VLog* m_previous;
};

} // namespace KisTest
