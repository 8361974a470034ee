#include "foundation/VLogFile.h"

#include "foundation/FilePlatform.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"

#include <cstring>
#include <ctime>
#include <mutex>

namespace VFoundation {

V_IMPLEMENT_CLASS(VLogFile, VLog)

VLogFile::VLogFile(const char* path, VClass* record) : VLog(record ? record : GetClassRecord()) {
    if (path) Open(path);
}

VLogFile::~VLogFile() {
    Close();
}

void VLogFile::Write(const char* text) {
    if (!m_file) {
        VLog::Write(text);
        return;
    }
    if (!text || !GetGuard()->TryEnter(1000)) return;
    std::fputs(text, m_file);
    if (m_flush) std::fflush(m_file);
    GetGuard()->Leave();
}

bool VLogFile::Open(const char* path) {
    if (m_file || !path) return false;
    m_path = path;
    // Not inherited by the programs that the process starts, and never written through a link.
    m_file = FilePlatform::OpenTextFile(m_path.c_str(), false);
    if (!m_file) {
        m_path.clear();
        return false;
    }
    std::fputs(CurrentDateText().c_str(), m_file);
    if (m_flush) std::fflush(m_file);
    return true;
}

std::string VLogFile::CurrentDateText() {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    {
        // std::localtime shares one buffer across the process.
        static std::mutex mutex;
        std::lock_guard<std::mutex> lock(mutex);
        local = *std::localtime(&now);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  1900 + local.tm_year);
    return text;
}

bool VLogFile::Close() {
    if (!m_file) return false;
    const bool locked = GetGuard()->TryEnter(100);
    std::fflush(m_file);
    std::fclose(m_file);
    m_file = nullptr;
    m_path.clear();
    if (locked) GetGuard()->Leave();
    return true;
}

} // namespace VFoundation
