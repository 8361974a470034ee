#include "application/platform/headless/HeadlessBackend.h"

#include <algorithm>

namespace VApplication {

HeadlessBackend::HeadlessBackend() : HeadlessBackend(std::make_shared<SilentResponder>()) {}

HeadlessBackend::HeadlessBackend(std::shared_ptr<IDialogResponder> responder)
    : m_responder(responder ? std::move(responder) : std::make_shared<SilentResponder>()),
      m_realBase(std::chrono::steady_clock::now()) {}

HeadlessBackend::~HeadlessBackend() {
    // Tasks still queued are dropped here, outside the guard: a dropped dialog task breaks its promise, which
    // wakes the thread that waits for the answer.
    std::deque<Item> dropped;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        dropped.swap(m_queue);
        m_timers.clear();
    }
}

uint64_t HeadlessBackend::NowLocked() const {
    if (m_manualClock) return m_manualNow;
    const auto elapsed = std::chrono::steady_clock::now() - m_realBase;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

int HeadlessBackend::RunMessageLoop() {
    std::unique_lock<std::mutex> lock(m_guard);
    for (;;) {
        if (!m_queue.empty()) {
            Item item = std::move(m_queue.front());
            m_queue.pop_front();
            if (item.quit) return item.code;
            lock.unlock();
            item.task();
            item.task = nullptr;
            lock.lock();
            continue;
        }
        const uint64_t now = NowLocked();
        lock.unlock();
        const int fired = FireDueTimers(now);
        lock.lock();
        if (fired > 0 || !m_queue.empty()) continue;

        uint64_t nextDue = UINT64_MAX;
        for (const auto& [id, timer] : m_timers)
            nextDue = std::min(nextDue, timer.due);
        if (m_manualClock || nextDue == UINT64_MAX) {
            // Woken by Post, Quit, StartTimer or a clock switch; the loop then looks again.
            m_wake.wait(lock);
        } else {
            const uint64_t current = NowLocked();
            if (nextDue > current) m_wake.wait_for(lock, std::chrono::milliseconds(nextDue - current));
        }
    }
}

void HeadlessBackend::Quit(int code) {
    std::lock_guard<std::mutex> lock(m_guard);
    Item item;
    item.quit = true;
    item.code = code;
    m_queue.push_back(std::move(item));
    m_wake.notify_all();
}

void HeadlessBackend::Post(std::function<void()> task) {
    if (!task) return;
    std::lock_guard<std::mutex> lock(m_guard);
    Item item;
    item.task = std::move(task);
    m_queue.push_back(std::move(item));
    m_wake.notify_all();
}

TimerId HeadlessBackend::StartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback) return 0;
    std::lock_guard<std::mutex> lock(m_guard);
    const TimerId id = m_nextTimerId++;
    Timer timer;
    timer.period = std::max<uint64_t>(periodMs, 1);
    timer.due = NowLocked() + timer.period;
    timer.callback = std::make_shared<TimerCallback>(std::move(callback));
    m_timers.emplace(id, std::move(timer));
    m_wake.notify_all();
    return id;
}

bool HeadlessBackend::StopTimer(TimerId id) {
    std::shared_ptr<TimerCallback> callback;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        auto found = m_timers.find(id);
        if (found == m_timers.end()) return false;
        // The callback may be the one running now (a timer stopping itself): keep it alive until it returns.
        callback = std::move(found->second.callback);
        m_timers.erase(found);
    }
    return true;
}

int HeadlessBackend::FireDueTimers(uint64_t limit) {
    int fired = 0;
    std::unique_lock<std::mutex> lock(m_guard);
    for (;;) {
        auto next = m_timers.end();
        // The map is ordered by id, that is by start order, so the strict comparison breaks ties by it.
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due <= limit && (next == m_timers.end() || it->second.due < next->second.due))
                next = it;
        }
        if (next == m_timers.end()) return fired;

        const TimerId id = next->first;
        const uint64_t due = next->second.due;
        const std::shared_ptr<TimerCallback> callback = next->second.callback;
        if (m_manualClock) m_manualNow = std::max(m_manualNow, due);
        lock.unlock();
        const bool keep = (*callback)();
        lock.lock();
        ++fired;

        auto timer = m_timers.find(id);
        if (timer == m_timers.end()) continue;
        if (!keep) {
            m_timers.erase(timer);
            continue;
        }
        uint64_t nextDue = due + timer->second.period;
        // A real clock that fell behind (a long task) fires a late timer once, not once per missed period.
        if (!m_manualClock) nextDue = std::max(nextDue, NowLocked() + timer->second.period);
        timer->second.due = nextDue;
    }
}

int HeadlessBackend::RunPending() {
    int ran = 0;
    std::unique_lock<std::mutex> lock(m_guard);
    // Only the tasks queued now: a task that posts another does not keep this call going.
    size_t budget = m_queue.size();
    while (budget-- > 0 && !m_queue.empty() && !m_queue.front().quit) {
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        item.task();
        item.task = nullptr;
        ++ran;
        lock.lock();
    }
    const uint64_t now = NowLocked();
    lock.unlock();
    return ran + FireDueTimers(now);
}

void HeadlessBackend::SetResponder(std::shared_ptr<IDialogResponder> responder) {
    std::lock_guard<std::mutex> lock(m_guard);
    m_responder = responder ? std::move(responder) : std::make_shared<SilentResponder>();
}

std::shared_ptr<IDialogResponder> HeadlessBackend::GetResponder() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_responder;
}

void HeadlessBackend::SetManualClock(bool manual) {
    std::lock_guard<std::mutex> lock(m_guard);
    if (manual == m_manualClock) return;
    if (manual) {
        m_manualNow = NowLocked();
    } else {
        m_realBase = std::chrono::steady_clock::now() - std::chrono::milliseconds(m_manualNow);
    }
    m_manualClock = manual;
    m_wake.notify_all();
}

bool HeadlessBackend::IsManualClock() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_manualClock;
}

uint64_t HeadlessBackend::GetClockTime() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return NowLocked();
}

void HeadlessBackend::AdvanceClock(uint64_t ms) {
    uint64_t target;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        if (!m_manualClock) return;
        target = m_manualNow + ms;
    }
    FireDueTimers(target);
    std::lock_guard<std::mutex> lock(m_guard);
    if (m_manualClock) m_manualNow = std::max(m_manualNow, target);
}

size_t HeadlessBackend::GetPendingTaskCount() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_queue.size();
}

size_t HeadlessBackend::GetTimerCount() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_timers.size();
}

DialogAnswer HeadlessBackend::Ask(DialogRequest request) {
    std::shared_ptr<IDialogResponder> responder = GetResponder();
    return responder->Answer(request);
}

int HeadlessBackend::ShowAlert(const VFoundation::VString& caption, const VFoundation::VString& text) {
    DialogRequest request;
    request.kind = DialogKind::Alert;
    request.caption = caption;
    request.text = text;
    Ask(std::move(request));
    return kAlertOK;
}

bool HeadlessBackend::ShowConfirm(const VFoundation::VString& caption, const VFoundation::VString& text) {
    DialogRequest request;
    request.kind = DialogKind::Confirm;
    request.caption = caption;
    request.text = text;
    return Ask(std::move(request)).accepted;
}

namespace {

DialogRequest MakeFileRequest(DialogKind kind, const FileDialogRequest& request) {
    DialogRequest dialog;
    dialog.kind = kind;
    dialog.text = request.title;
    dialog.initialPath = request.initialPath;
    dialog.presetName = request.presetName;
    dialog.filters = request.filters;
    return dialog;
}

VFoundation::VString ChosenPath(const DialogAnswer& answer) {
    return answer.accepted ? answer.path : VFoundation::VString();
}

} // namespace

VFoundation::VString HeadlessBackend::ShowOpenFileDialog(const FileDialogRequest& request) {
    return ChosenPath(Ask(MakeFileRequest(DialogKind::OpenFile, request)));
}

VFoundation::VString HeadlessBackend::ShowSaveFileDialog(const FileDialogRequest& request) {
    return ChosenPath(Ask(MakeFileRequest(DialogKind::SaveFile, request)));
}

VFoundation::VString HeadlessBackend::ShowFolderDialog(const FolderDialogRequest& request) {
    DialogRequest dialog;
    dialog.kind = DialogKind::Folder;
    dialog.text = request.title;
    dialog.flags = request.flags;
    dialog.initialPath = request.initialFolder;
    return ChosenPath(Ask(std::move(dialog)));
}

} // namespace VApplication
