#pragma once

#include "foundation/VLog.h"

#include <cstdio>
#include <string>

namespace VFoundation {

// A log that writes to a file: no line feed is added, and each write is flushed while the flush flag is
// set. Until a file is open it writes to the standard error stream as the console log does.
class VLogFile : public VLog {
    V_DECLARE_CLASS(VLogFile)
public:
    explicit VLogFile(const char* path = nullptr, VClass* record = nullptr);
    ~VLogFile() override;

    void Write(const char* text) override;

    // Opens (truncating) and writes the local date and time as 24 characters without a line feed.
    bool Open(const char* path);
    bool Close();
    bool IsOpen() const { return m_file != nullptr; }
    const char* GetPath() const { return m_path.c_str(); }
    void SetFlush(bool flush) { m_flush = flush; }

    // The local date and time as 24 characters, "Www Mmm dd hh:mm:ss yyyy" (the layout of asctime, English
    // names, without a line end).
    static std::string CurrentDateText();

private:
    std::string m_path;
    FILE* m_file = nullptr;
    bool m_flush = true;
};

} // namespace VFoundation
