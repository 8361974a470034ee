#include "instructions/CZdrcaDecodePool.h"

#include "instructions/CFlacDecoder.h"

#include <algorithm>
#include <filesystem>

CZdrcaDecodePool::CZdrcaDecodePool(int workers, DecodeFunction decode, const std::atomic<bool>& stop)
    : m_decode(std::move(decode)), m_stop(stop) {
    if (workers < 1) workers = 1;
    for (int i = 0; i < workers; ++i)
        m_decoders.push_back(std::make_unique<CFlacDecoder>());
    for (int i = 0; i < workers; ++i)
        m_threads.emplace_back([this, i] { WorkerLoop(i); });
}

CZdrcaDecodePool::~CZdrcaDecodePool() {
    std::vector<std::shared_ptr<Task>> left;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_closing = true;
        left.assign(m_queue.begin(), m_queue.end());
        m_queue.clear();
    }
    m_workAvailable.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    for (const std::shared_ptr<Task>& task : left)
        RemoveOutput(task->output);
}

std::shared_ptr<CZdrcaDecodePool::Task> CZdrcaDecodePool::Submit(const std::string& source,
                                                                 const std::string& output) {
    auto task = std::make_shared<Task>();
    task->source = source;
    task->output = output;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_queue.push_back(task);
    }
    m_workAvailable.notify_one();
    return task;
}

void CZdrcaDecodePool::Wait(const Task& task) {
    std::unique_lock<std::mutex> lock(m_guard);
    m_taskDone.wait(lock, [&task] { return task.done; });
}

void CZdrcaDecodePool::Discard(const std::vector<std::shared_ptr<Task>>& tasks) {
    std::unique_lock<std::mutex> lock(m_guard);
    for (const std::shared_ptr<Task>& task : tasks)
        task->cancelled = true;
    for (const std::shared_ptr<Task>& task : tasks) {
        const auto queued = std::find(m_queue.begin(), m_queue.end(), task);
        if (queued != m_queue.end()) {
            m_queue.erase(queued);
            task->done = true;
        }
    }
    m_taskDone.wait(lock, [&tasks] {
        return std::all_of(tasks.begin(), tasks.end(), [](const auto& task) { return task->done; });
    });
    lock.unlock();
    for (const std::shared_ptr<Task>& task : tasks)
        RemoveOutput(task->output);
}

void CZdrcaDecodePool::WorkerLoop(int index) {
    CFlacDecoder& decoder = *m_decoders[static_cast<size_t>(index)];
    for (;;) {
        std::shared_ptr<Task> task;
        {
            std::unique_lock<std::mutex> lock(m_guard);
            m_workAvailable.wait(lock, [this] { return m_closing || !m_queue.empty(); });
            if (m_queue.empty()) return;
            task = m_queue.front();
            m_queue.pop_front();
        }
        // The task's strings do not change once submitted; only the outcome is written, under the lock.
        const std::function<int()> decode = [&] {
            return m_decode ? m_decode(task->source, task->output)
                            : decoder.Decode(task->source.c_str(), task->output.c_str());
        };
        const int outcome = RunTries(decode, task->output, m_stop);
        {
            std::lock_guard<std::mutex> lock(m_guard);
            task->succeededTry = outcome >= 0 ? outcome : -1;
            task->stopped = outcome == -2;
            task->done = true;
        }
        m_taskDone.notify_all();
    }
}

int CZdrcaDecodePool::RunTries(const std::function<int()>& decode, const std::string& output,
                               const std::atomic<bool>& stop) {
    // A temporary file left by an interrupted run would otherwise be written through (it may be a link).
    RemoveOutput(output);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (stop.load(std::memory_order_relaxed)) return -2;
        if (decode() == 0) return attempt;
        RemoveOutput(output);
    }
    return -1;
}

void CZdrcaDecodePool::RemoveOutput(const std::string& output) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(output, error);
    if (error || status.type() == std::filesystem::file_type::directory ||
        status.type() == std::filesystem::file_type::not_found)
        return;
    std::filesystem::remove(output, error);
}
