#include "engine/ScriptReader.h"

#include "foundation/VLog.h"

#include <cstdio>
#include <cstring>

bool ScriptReader::Open(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    m_data.clear();
    char buffer[65536];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        m_data.append(buffer, read);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    m_position = 0;
    m_lineNumber = 0;
    return !failed;
}

bool ScriptReader::ReadLine(std::string& line) {
    if (m_position >= m_data.size()) return false;
    const char* start = m_data.data() + m_position;
    const size_t remaining = m_data.size() - m_position;
    const void* found = std::memchr(start, '\n', remaining);
    const size_t length = found ? static_cast<size_t>(static_cast<const char*>(found) - start) : remaining;
    m_position += length + (found ? 1 : 0);
    ++m_lineNumber;
    size_t kept = length;
    if (kept > 0 && start[kept - 1] == '\r') --kept;
    // Text stops at a NUL byte, as it does for every string of the system.
    if (const void* nul = std::memchr(start, 0, kept))
        kept = static_cast<size_t>(static_cast<const char*>(nul) - start);
    m_lineCut = kept > kMaxLineLength;
    if (m_lineCut) {
        VFoundation::LogPrintf("Script line %u is longer than %u characters; the rest of it is ignored\n",
                               m_lineNumber, kMaxLineLength);
        kept = kMaxLineLength;
    }
    line.assign(start, kept);
    return true;
}
