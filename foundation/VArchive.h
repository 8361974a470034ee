#pragma once

#include "foundation/VObject.h"

#include <cstdint>
#include <vector>

namespace VFoundation {

// A binary archive in memory: values are written in order while storing and read back in the same
// order while loading. Strings are stored as a 32-bit length followed by their bytes.
class VArchive : public VObject {
    V_DECLARE_CLASS(VArchive)
public:
    VArchive();
    // An archive that loads from data.
    VArchive(const void* data, size_t size);
    ~VArchive() override;

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    void WriteInt32(int32_t value);
    bool ReadInt32(int32_t& value);
    void WriteString(const char* text);
    // A new NUL-terminated copy (free it with FreeString), or none at the end of the data.
    char* ReadString();
    static void FreeString(char* text);

    // VObject's default serialisation: the class name, checked again on loading.
    void SerializeObject(VObject& object);

    const std::vector<uint8_t>& GetData() const { return m_data; }
    bool HasFailed() const { return m_failed; }

private:
    bool ReadBytes(void* out, size_t size);

    std::vector<uint8_t> m_data;
    size_t m_position = 0;
    bool m_storing = true;
    bool m_failed = false;
};

} // namespace VFoundation
