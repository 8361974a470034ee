#include "support/LogCapture.h"

#include "foundation/VClass.h"

namespace KisTest {

class LogCapture::CaptureLog : public VFoundation::VLog {
public:
    void Write(const char* text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (text) m_text += text;
    }
    std::string Text() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_text;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_text.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

LogCapture::LogCapture() : m_log(new CaptureLog()), m_previous(VFoundation::GetLog()) {
    m_previous->Retain();
    VFoundation::SetLog(m_log);
}

LogCapture::~LogCapture() {
    VFoundation::SetLog(m_previous);
    m_previous->Release();
    m_log->Release();
}

std::string LogCapture::Text() const {
    return m_log->Text();
}

void LogCapture::Clear() {
    m_log->Clear();
}

} // namespace KisTest
