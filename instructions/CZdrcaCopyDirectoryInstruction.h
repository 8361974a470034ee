#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VFileInfo.h"
#include "foundation/VString.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class CFlacDecoder;
class CZdrcaDecodePool;
class IZdrcaInstallHost;

// "ZdrcaCopyDirectory, source, destination": installs a sample library. Walks the source tree, copies
// the plain files of folders without compressed audio and decodes a share of the compressed files
// ("zdrca", FLAC streams) of each chosen folder into WAVE files, as the install host (the kit piece
// page) steers it. Every step writes a log row; every created file and folder an uninstall entry.
//
// With more than one job the compressed files of a folder are decoded by a pool of workers, each into a
// temporary file in its destination folder; the installer thread takes the outcomes in listing order and
// renames, logs and records each file in turn, so the rows, the uninstall entries, the status texts and
// the failure limit of a folder are those of a run with one job. A decoded file reaches its final name
// only after its MD5 check passed, never through a link, and only together with its row and entry.
//
// Threads: Execute runs on the installer thread, which sets the install host before it. Abort may come
// from any thread at any time; every worker stops before its next try (a running decode is not
// interrupted), the temporary files of the files not taken are removed, and Execute returns false. An
// aborted instruction stays aborted.
class CZdrcaCopyDirectoryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CZdrcaCopyDirectoryInstruction)
public:
    // Decodes the FLAC stream at source into a WAVE file at destination (overwriting it); 0 on success.
    // With one job it is called on the installer thread, one call at a time; with more, on the decoding
    // workers, several at once.
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
    // Decoders working side by side: 0 takes the process-wide default; 1 decodes on the installer thread.
    void SetJobCount(int jobs) { m_jobs = jobs; }
    int GetJobCount() const;
    // The process-wide default (1 until the program entry sets it from --jobs, KIS_JOBS or the processors).
    static void SetDefaultJobCount(int jobs);
    static int GetDefaultJobCount();
    // The number of online processors, at least 1 and at most kMaxJobs.
    static int OnlineProcessorJobs();
    static constexpr int kMaxJobs = 16;

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
    // Takes the outcome of one decoded file: renames its temporary file into place and writes its row
    // and entry. succeededTry is -1 when every try failed.
    bool CommitFile(const VFoundation::VString& sourceFile, const VFoundation::VString& destinationFile,
                    const VFoundation::VString& temporaryFile, int succeededTry);
    static void RemoveStaleTemporaries(const VFoundation::VString& folder);
    int RunDecode(const VFoundation::VString& source, const VFoundation::VString& destination);
    void SendStatus(const VFoundation::VString& destinationFolder, const char* name) const;

    VFoundation::VString m_source;
    VFoundation::VString m_destination;
    std::atomic<bool> m_stopRequested{false};
    IZdrcaInstallHost* m_host = nullptr;
    float m_folderStep = 0.0f;
    DecodeFunction m_decode;
    int m_jobs = 0;
    std::unique_ptr<CFlacDecoder> m_decoder;
    std::unique_ptr<CZdrcaDecodePool> m_pool;
};
