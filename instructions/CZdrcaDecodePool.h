#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CFlacDecoder;

// The workers that decode the compressed files of a sample library side by side. The installer thread
// submits files in the order it would decode them and takes the outcomes in that same order; the workers
// only ever write the temporary file they are given, so what becomes installed (renamed into place, logged,
// recorded) is decided on the installer thread alone.
//
// Threads: Submit, Wait and Discard are called on one thread (the installer thread). The stop flag may be
// set from any thread: a worker sees it before each try and leaves the rest of its files untried.
class CZdrcaDecodePool {
public:
    // source, output -> 0 on success. Called on the workers, several at once.
    using DecodeFunction = std::function<int(const std::string& source, const std::string& output)>;

    struct Task {
        std::string source;
        std::string output;
        // The outcome, valid once done: the 0-based try that succeeded, or -1 when every try failed.
        int succeededTry = -1;
        // The stop flag ended the tries before an outcome was had.
        bool stopped = false;
        bool done = false;
        bool cancelled = false;
    };

    static constexpr int kTries = 3;

    // decode empty: each worker decodes with its own in-process FLAC decoder.
    CZdrcaDecodePool(int workers, DecodeFunction decode, const std::atomic<bool>& stop);
    ~CZdrcaDecodePool();
    CZdrcaDecodePool(const CZdrcaDecodePool&) = delete;
    CZdrcaDecodePool& operator=(const CZdrcaDecodePool&) = delete;

    std::shared_ptr<Task> Submit(const std::string& source, const std::string& output);
    // Blocks until the task has its outcome; its fields may then be read without a lock.
    void Wait(const Task& task);
    // Withdraws tasks whose outcome will not be used: those not started are never run, running ones are
    // waited for, and every output they left is removed.
    void Discard(const std::vector<std::shared_ptr<Task>>& tasks);

    // The tries of one file as the instruction makes them: up to kTries calls of decode, stopping early on
    // success or when stop is set between tries. A try that fails leaves no output behind. Returns the
    // successful try, -1 when all failed, -2 when stopped.
    static int RunTries(const std::function<int()>& decode, const std::string& output,
                        const std::atomic<bool>& stop);
    // Removes a plain file (never what a link points to); nothing when there is none.
    static void RemoveOutput(const std::string& output);

private:
    void WorkerLoop(int index);

    DecodeFunction m_decode;
    const std::atomic<bool>& m_stop;
    std::mutex m_guard;
    std::condition_variable m_workAvailable;
    std::condition_variable m_taskDone;
    std::deque<std::shared_ptr<Task>> m_queue;
    bool m_closing = false;
    std::vector<std::unique_ptr<CFlacDecoder>> m_decoders;
    std::vector<std::thread> m_threads;
};
