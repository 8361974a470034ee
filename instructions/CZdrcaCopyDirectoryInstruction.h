#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VFileInfo.h"
#include "foundation/VString.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class CFlacDecoder;
class IZdrcaInstallHost;

// "ZdrcaCopyDirectory, source, destination": installs a sample library. Walks the source tree, copies
// the plain files of folders without compressed audio and decodes a share of the compressed files
// ("zdrca", FLAC streams) of each chosen folder into WAVE files, as the install host (the kit piece
// page) steers it. Every step writes a log row; every created file and folder an uninstall entry.
//
// Threads: Execute runs on the installer thread, which sets the install host before it. Abort may come
// from any thread at any time; the walk stops at the next file or folder boundary (a running decode is
// not interrupted) and Execute returns false. An aborted instruction stays aborted.
class CZdrcaCopyDirectoryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CZdrcaCopyDirectoryInstruction)
public:
    // Decodes the FLAC stream at source into a WAVE file at destination (overwriting it); 0 on success.
    // Called on the installer thread, one call at a time.
    using DecodeFunction =
        std::function<int(const VFoundation::VString& source, const VFoundation::VString& destination)>;

    static constexpr int kDecodeTries = 3;

    explicit CZdrcaCopyDirectoryInstruction(const VFoundation::VString& arguments,
                                            VFoundation::VClass* record = nullptr);
    ~CZdrcaCopyDirectoryInstruction() override;

    bool Execute() override;
    void Abort() override;

    // The host is not owned; it must outlive Execute.
    void SetInstallHost(IZdrcaInstallHost* host) { m_host = host; }
    IZdrcaInstallHost* GetInstallHost() const { return m_host; }
    // Replaces the in-process FLAC decoder (an empty function restores it).
    void SetDecodeFunction(DecodeFunction decode) { m_decode = std::move(decode); }

    const VFoundation::VString& GetSource() const { return m_source; }
    const VFoundation::VString& GetDestination() const { return m_destination; }
    bool IsStopRequested() const { return m_stopRequested.load(std::memory_order_relaxed); }

private:
    bool CopyFolder(const VFoundation::VString& source, const VFoundation::VString& destination);
    bool CopyPlainFolder(const VFoundation::VString& source, const VFoundation::VString& destination,
                         const VFoundation::VFileInfoArray& listing);
    bool CopyPlainFile(const VFoundation::VString& source, const VFoundation::VString& destination,
                       const char* name);
    bool DecodeFolder(const VFoundation::VString& source, const VFoundation::VString& destination,
                      const VFoundation::VFileInfoArray& listing);
    bool DecodeFile(const VFoundation::VString& source, const VFoundation::VString& destination,
                    const char* name);
    static void RemovePartialOutput(const VFoundation::VString& destinationFile);
    int RunDecode(const VFoundation::VString& source, const VFoundation::VString& destination);
    void SendStatus(const VFoundation::VString& destinationFolder, const char* name) const;

    VFoundation::VString m_source;
    VFoundation::VString m_destination;
    std::atomic<bool> m_stopRequested{false};
    IZdrcaInstallHost* m_host = nullptr;
    float m_folderStep = 0.0f;
    DecodeFunction m_decode;
    std::unique_ptr<CFlacDecoder> m_decoder;
};
