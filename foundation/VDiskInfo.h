#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VFoundation {

// A description of one volume, made by VFileManager::DiskInfoForPath.
class VDiskInfo : public VObject {
    V_DECLARE_CLASS(VDiskInfo)
public:
    // diskType values.
    enum DiskType : int32_t {
        kUnknown = 0,
        kOther = 1,
        kFixed = 2,
        kRemovable = 3,
        kCdRom = 4,
        kRemote = 5,
    };

    VDiskInfo();
    ~VDiskInfo() override;

    // "VolumeName [<root>], Size [<total bytes>], Free [<free bytes>]".
    void GetDescription(VString& out) const override;

    // Bytes free for the calling user.
    uint64_t GetFreeBytes() const { return m_freeBytes; }
    // totalBytes minus freeBytes.
    uint64_t GetUsedBytes() const { return m_usedBytes; }
    uint64_t GetTotalBytes() const { return m_totalBytes; }
    uint32_t GetSectorsPerCluster() const { return m_sectorsPerCluster; }
    uint32_t GetBytesPerSector() const { return m_bytesPerSector; }
    uint32_t GetFreeClusters() const { return m_freeClusters; }
    uint32_t GetTotalClusters() const { return m_totalClusters; }
    // The volume's root: a drive root, or on POSIX the mount point.
    const VString& GetRootPath() const { return m_rootPath; }
    const VString& GetVolumeName() const { return m_volumeName; }
    int32_t GetDiskType() const { return m_diskType; }
    uint32_t GetSerialNumber() const { return m_serialNumber; }

private:
    friend class VFileManager;

    uint64_t m_freeBytes = 0;
    uint64_t m_usedBytes = 0;
    uint64_t m_totalBytes = 0;
    uint32_t m_sectorsPerCluster = 0;
    uint32_t m_bytesPerSector = 0;
    uint32_t m_freeClusters = 0;
    uint32_t m_totalClusters = 0;
    VString m_rootPath;
    VString m_volumeName;
    int32_t m_diskType = kUnknown;
    uint32_t m_serialNumber = 0;
};

} // namespace VFoundation
