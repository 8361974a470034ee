#include "foundation/VImage.h"

#include "foundation/FilePlatform.h"
#include "foundation/VFileManager.h"

#include "foundation/VClass.h"
#include "foundation/VImageIOJPEG.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VLog.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <string>
#include <system_error>

namespace VFoundation {

V_IMPLEMENT_CLASS(VImage, VObject)

namespace {

// A plain string, not a VString: the folder outlives the library's start and stop.
std::mutex g_resourceFolderGuard;
std::string g_resourceFolder;

bool IsExistingFile(const char* path) {
    if (!path || !*path) return false;
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

} // namespace

VImage::VImage(VClass* record) : VObject(record ? record : GetClassRecord()) {}

VImage::VImage(const VImage& other)
    : VObject(other), m_bits(other.m_bits), m_hasAlpha(other.m_hasAlpha), m_width(other.m_width),
      m_height(other.m_height), m_bitsPerPixel(other.m_bitsPerPixel), m_stride(other.m_stride) {
    if (other.m_name) m_name = VString::Alloc(other.m_name->GetText());
}

VImage::~VImage() {
    m_renderCache.reset();
    if (m_name) m_name->Release();
}

VObject* VImage::Copy() const {
    return new VImage(*this);
}

void VImage::GetDescription(VString& out) const {
    out.Format("[%s %ix%i %i-bit%s %s]", GetClassName(), m_width, m_height, m_bitsPerPixel,
               HasAlpha() ? " alpha" : "", GetName().GetText());
}

bool VImage::CreateBitmap(int width, int height, int bitsPerPixel) {
    FreeBitmap();
    if (bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    if (width < 1 || height < 1 || int64_t(width) * int64_t(height) > kMaxPixels) return false;
    const int stride = ((width * (bitsPerPixel / 8)) + 3) & ~3;
    try {
        m_bits.assign(size_t(stride) * size_t(height), 0);
    } catch (const std::bad_alloc&) {
        m_bits.clear();
        return false;
    }
    m_width = width;
    m_height = height;
    m_bitsPerPixel = bitsPerPixel;
    m_stride = stride;
    return true;
}

void VImage::FreeBitmap() {
    m_renderCache.reset();
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_width = m_height = m_bitsPerPixel = m_stride = 0;
}

uint32_t VImage::GetPixel(int x, int y) const {
    // Negative coordinates are outside too: they must never index before the bitmap.
    if (m_bits.empty() || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    const uint8_t* row = GetRow(y);
    if (m_bitsPerPixel == 32) {
        const uint8_t* p = row + size_t(x) * 4;
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    }
    if (m_bitsPerPixel == 24) {
        const uint8_t* p = row + size_t(x) * 3;
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    }
    return 0;
}

const VString& VImage::GetName() const {
    return m_name ? *m_name : VString::GetEmpty();
}

void VImage::SetName(const char* name) {
    if (m_name) {
        m_name->Release();
        m_name = nullptr;
    }
    if (name) m_name = VString::Alloc(name);
}

VImage* VImage::LoadFromFile(const char* path) {
    if (!path) return nullptr;
    const VString text(path);
    if (text.HasExtension("tga", true)) return VImageIOTarga::LoadImageFromFile(path);
    if (text.HasExtension("jpeg", true) || text.HasExtension("jpg", true))
        return VImageIOJPEG::LoadImageFromFile(path);
    return nullptr;
}

VImage* VImage::LoadTargaResource(const char* name) {
    VString full(GetResourceFolder());
    full.AppendPathComponent(name ? name : "");
    if (!IsExistingFile(full.GetText())) LogPrintf("Can't find image resource: %s\n", full.GetText());
    VImage* image = VImageIOTarga::LoadImageFromFile(full.GetText());
    if (!image) VFoundation::LogPrintf("Error loading targa resource: %s\n", name ? name : "");
    return image;
}

void VImage::SetResourceFolder(const char* folder) {
    std::lock_guard<std::mutex> lock(g_resourceFolderGuard);
    g_resourceFolder = folder ? folder : "";
}

VString VImage::GetResourceFolder() {
    std::lock_guard<std::mutex> lock(g_resourceFolderGuard);
    return VString(g_resourceFolder.c_str());
}

bool VImage::ResolvePath(const char* path, VString& out) {
    out.Assign(path ? path : "");
    if (IsExistingFile(path)) return true;
    const VString folder = GetResourceFolder();
    if (folder.IsEmpty() || !path || !*path) return false;
    // Only a relative name is looked for in the resource folder.
    if (path[0] == '/' || path[0] == '\\' || std::filesystem::path(path).is_absolute()) return false;
    out.Assign(folder);
    out.AppendPathComponent(path);
    return IsExistingFile(out.GetText());
}

bool VImage::ReadFile(const char* path, std::vector<uint8_t>& out) {
    out.clear();
    if (!IsExistingFile(path)) return false;
    // A pipe, a device or an outsized file is refused rather than waited on or read without end.
    try {
        return FilePlatform::ReadFile(path, VFileManager::kDocumentSizeLimit, out) ==
               FilePlatform::ReadResult::Read;
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
}

} // namespace VFoundation
