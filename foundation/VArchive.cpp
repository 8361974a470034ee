#include "foundation/VArchive.h"

#include "foundation/VClass.h"

#include <cstdlib>
#include <cstring>

namespace VFoundation {

V_IMPLEMENT_CLASS(VArchive, VObject)

VArchive::VArchive() : VObject(GetClassRecord()) {}

VArchive::VArchive(const void* data, size_t size)
    : VObject(GetClassRecord()),
      m_data(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size), m_storing(false) {}

VArchive::~VArchive() = default;

void VArchive::WriteInt32(int32_t value) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    m_data.insert(m_data.end(), bytes, bytes + sizeof value);
}

bool VArchive::ReadBytes(void* out, size_t size) {
    if (m_failed || m_data.size() - m_position < size) {
        m_failed = true;
        return false;
    }
    std::memcpy(out, m_data.data() + m_position, size);
    m_position += size;
    return true;
}

bool VArchive::ReadInt32(int32_t& value) {
    return ReadBytes(&value, sizeof value);
}

void VArchive::WriteString(const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    WriteInt32(static_cast<int32_t>(length));
    m_data.insert(m_data.end(), text, text + length);
}

char* VArchive::ReadString() {
    int32_t length = 0;
    if (!ReadInt32(length) || length < 0 || m_data.size() - m_position < static_cast<size_t>(length)) {
        m_failed = true;
        return nullptr;
    }
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!text) return nullptr;
    ReadBytes(text, static_cast<size_t>(length));
    text[length] = 0;
    return text;
}

void VArchive::FreeString(char* text) {
    std::free(text);
}

void VArchive::SerializeObject(VObject& object) {
    if (IsStoring()) {
        WriteString(object.GetClassName());
        return;
    }
    char* name = ReadString();
    if (!name || std::strcmp(name, object.GetClassName()) != 0) m_failed = true;
    FreeString(name);
}

} // namespace VFoundation
