#pragma once

#include "foundation/VObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace VFoundation {

// A block of bytes in memory, such as a whole file read by VFileManager::ReadFileAtPath.
class VData : public VObject {
    V_DECLARE_CLASS(VData)
public:
    VData();
    // A zero-filled block of length bytes; throws std::bad_alloc when it cannot be had.
    explicit VData(size_t length, VClass* record = nullptr);
    ~VData() override;

    VObject* Copy() const override;
    bool IsEqual(const VObject* other) const override;

    uint8_t* GetBytes() { return m_bytes.data(); }
    const uint8_t* GetBytes() const { return m_bytes.data(); }
    size_t GetLength() const { return m_bytes.size(); }
    void SetLength(size_t length) { m_bytes.resize(length); }

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace VFoundation
