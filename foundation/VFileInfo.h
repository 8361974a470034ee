#pragma once

#include "foundation/VObject.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VFoundation {

// One entry of a folder listing (VFileManager::DirectoryContentsAtPath).
//
// Instances are recycled: Alloc() (and the class record's CreateInstance) takes one from a process-wide
// pool when it holds any, and the last Release() of an instance puts it back. The pool is guarded by its
// own lock, so any thread may allocate and release file infos. An instance taken from the pool is as
// new: every field cleared.
class VFileInfo : public VObject {
    V_DECLARE_CLASS(VFileInfo)
public:
    // The most instances the pool keeps; a listing of a larger folder frees the rest.
    static constexpr int kPoolLimit = 1024;

    VFileInfo();
    ~VFileInfo() override;

    static VFileInfo* Alloc();

    int32_t Release() const override;
    // Writes and reads only the name and the folder flag, in that order.
    void Serialize(VArchive& archive) override;

    // The bare entry name or the full path, as the listing was asked. Never cut short.
    const char* GetName() const { return m_name.GetText(); }
    const VString& GetNameString() const { return m_name; }
    // A folder, or a link to one (IsLink tells).
    bool IsDirectory() const { return m_isDirectory; }
    // The entry is a symbolic link.
    bool IsLink() const { return m_isLink; }
    // False when the entry carries the read-only mark.
    bool IsWritable() const { return m_isWritable; }
    bool Exists() const { return m_exists; }
    uint64_t GetSize() const { return m_size; }
    // The last write in 100-nanosecond ticks since 1 January 1601 (UTC).
    uint64_t GetModificationTime() const { return m_modificationTime; }
    bool IsInPool() const { return m_inPool; }

    void SetName(const char* name) { m_name.Assign(name); }
    void SetDirectory(bool isDirectory) { m_isDirectory = isDirectory; }
    void SetLink(bool isLink) { m_isLink = isLink; }
    void SetWritable(bool isWritable) { m_isWritable = isWritable; }
    void SetExists(bool exists) { m_exists = exists; }
    void SetSize(uint64_t size) { m_size = size; }
    void SetModificationTime(uint64_t time) { m_modificationTime = time; }

    // The number of instances waiting in the pool.
    static int GetPoolCount();

    // The class record's start-up and shut-down functions.
    static void StartPool();
    static void ShutDownPool();

private:
    void Clear();

    VString m_name;
    bool m_isDirectory = false;
    bool m_isLink = false;
    bool m_isWritable = false;
    bool m_exists = false;
    uint64_t m_size = 0;
    uint64_t m_modificationTime = 0;
    mutable bool m_inPool = false;
};

using VFileInfoArray = VObjectArrayTmpl<VFileInfo>;

} // namespace VFoundation
