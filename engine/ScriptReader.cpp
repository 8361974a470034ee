#include "engine/ScriptReader.h"

#include "foundation/VData.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"

#include <cstdio>
#include <cstring>

bool ScriptReader::Open(const char* path) {
    m_data.clear();
    m_position = 0;
    m_lineNumber = 0;
    VFoundation::VRef<VFoundation::VData> data;
    try {
        data = VFoundation::VFileManager::Instance()->ReadFileAtPath(
            path, VFoundation::VFileManager::kDocumentSizeLimit);
    } catch (const VFoundation::VException&) {
        return false;
    }
    if (!data) return false;
    m_data.assign(reinterpret_cast<const char*>(data->GetBytes()), data->GetLength());
    return true;
}

bool ScriptReader::HoldsOnlyTextAfterFirstLine(uint32_t& line) const {
    const size_t firstEnd = m_data.find('\n');
    if (firstEnd == std::string::npos) return true;
    line = 2;
    for (size_t i = firstEnd + 1; i < m_data.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(m_data[i]);
        if (c == '\n') ++line;
        if ((c < 0x20 && (c < '\t' || c > '\r')) || c == 0x7f) return false;
    }
    return true;
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
