#include "application/platform/gtk/GtkBackend.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace VApplication {

struct GtkBackend::Loop {
    GMainLoop* loop = nullptr;
    int code = 0;
};

struct GtkBackend::TimerSource {
    GtkBackend* backend;
    TimerId id;
};

GtkBackend::GtkBackend() = default;

GtkBackend::~GtkBackend() {
    std::deque<Item> dropped;
    std::vector<unsigned int> sources;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        if (m_dispatchSource != 0) sources.push_back(m_dispatchSource);
        m_dispatchSource = 0;
        for (const auto& [id, timer] : m_timers)
            sources.push_back(timer.source);
        m_timers.clear();
        dropped.swap(m_queue);
    }
    for (unsigned int source : sources)
        g_source_remove(source);
    // The dropped tasks go here, outside the guard: a dropped dialog task breaks its promise, which wakes the
    // thread that waits for the answer.
}

void GtkBackend::ScheduleLocked() {
    if (m_queue.empty() || m_held || m_dispatchSource != 0) return;
    // g_idle_add attaches to the default main context, which is safe from any thread and wakes the context.
    m_dispatchSource = g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &GtkBackend::OnDispatch, this, nullptr);
}

int GtkBackend::OnDispatch(void* data) {
    GtkBackend* self = static_cast<GtkBackend*>(data);
    Item item;
    {
        std::lock_guard<std::mutex> lock(self->m_guard);
        self->m_dispatchSource = 0;
        if (self->m_queue.empty() || self->m_held) return G_SOURCE_REMOVE;
        if (self->m_queue.front().quit) {
            // Without a loop of ours (a modal dialog's loop shown before any ran) the request stays at the
            // head and ends the next loop.
            self->m_held = true;
            if (self->m_loops.empty()) return G_SOURCE_REMOVE;
            Loop* innermost = self->m_loops.back();
            innermost->code = self->m_queue.front().code;
            self->m_queue.pop_front();
            g_main_loop_quit(innermost->loop);
            return G_SOURCE_REMOVE;
        }
        item = std::move(self->m_queue.front());
        self->m_queue.pop_front();
        // A fresh source for the next task before this one runs: GLib does not dispatch a source again
        // while its callback runs, and this task may run a nested loop.
        self->ScheduleLocked();
    }
    item.task();
    return G_SOURCE_REMOVE;
}

int GtkBackend::RunMessageLoop() {
    Loop loop;
    loop.loop = g_main_loop_new(nullptr, FALSE);
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_loops.push_back(&loop);
        m_held = false;
        ScheduleLocked();
    }
    g_main_loop_run(loop.loop);
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_loops.erase(std::find(m_loops.begin(), m_loops.end(), &loop));
        m_held = false;
        ScheduleLocked();
    }
    g_main_loop_unref(loop.loop);
    return loop.code;
}

void GtkBackend::Quit(int code) {
    std::lock_guard<std::mutex> lock(m_guard);
    Item item;
    item.quit = true;
    item.code = code;
    m_queue.push_back(std::move(item));
    ScheduleLocked();
}

void GtkBackend::Post(std::function<void()> task) {
    if (!task) return;
    std::lock_guard<std::mutex> lock(m_guard);
    Item item;
    item.task = std::move(task);
    m_queue.push_back(std::move(item));
    ScheduleLocked();
}

size_t GtkBackend::GetLoopDepth() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_loops.size();
}

size_t GtkBackend::GetTimerCount() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_timers.size();
}

TimerId GtkBackend::StartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback) return 0;
    std::lock_guard<std::mutex> lock(m_guard);
    const TimerId id = m_nextTimerId++;
    Timer timer;
    timer.callback = std::make_shared<TimerCallback>(std::move(callback));
    timer.source =
        g_timeout_add_full(G_PRIORITY_DEFAULT, std::max<uint32_t>(periodMs, 1), &GtkBackend::OnTimer,
                           new TimerSource{this, id}, &GtkBackend::OnTimerSourceGone);
    m_timers.emplace(id, std::move(timer));
    return id;
}

bool GtkBackend::StopTimer(TimerId id) {
    Timer stopped;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        auto found = m_timers.find(id);
        if (found == m_timers.end()) return false;
        // The callback may be the one running now (a timer stopping itself): it stays alive until it returns.
        stopped = std::move(found->second);
        m_timers.erase(found);
    }
    g_source_remove(stopped.source);
    return true;
}

int GtkBackend::OnTimer(void* data) {
    const TimerSource where = *static_cast<TimerSource*>(data);
    std::shared_ptr<TimerCallback> callback;
    {
        std::lock_guard<std::mutex> lock(where.backend->m_guard);
        auto found = where.backend->m_timers.find(where.id);
        if (found == where.backend->m_timers.end()) return G_SOURCE_REMOVE;
        callback = found->second.callback;
    }
    const bool keep = (*callback)();
    std::lock_guard<std::mutex> lock(where.backend->m_guard);
    auto found = where.backend->m_timers.find(where.id);
    // Stopped by its own callback: StopTimer has already removed the source.
    if (found == where.backend->m_timers.end()) return G_SOURCE_REMOVE;
    if (keep) return G_SOURCE_CONTINUE;
    where.backend->m_timers.erase(found);
    return G_SOURCE_REMOVE;
}

void GtkBackend::OnTimerSourceGone(void* data) {
    delete static_cast<TimerSource*>(data);
}

// Text and patterns

namespace {

const uint16_t kWindows1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

std::string GtkBackend::ToUtf8(const char* text) {
    if (!text) return std::string();
    if (g_utf8_validate(text, -1, nullptr)) return text;
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned code = *p;
        if (code >= 0x80 && code < 0xA0) code = kWindows1252High[code - 0x80];
        char buffer[6];
        const int length = g_unichar_to_utf8(gunichar(code), buffer);
        out.append(buffer, size_t(length));
    }
    return out;
}

std::vector<std::string> GtkBackend::ToGlobPatterns(const char* pattern) {
    std::vector<std::string> globs;
    const std::string all = pattern ? pattern : "";
    size_t start = 0;
    for (;;) {
        const size_t end = all.find(';', start);
        const std::string part = Trimmed(all.substr(start, end == std::string::npos ? end : end - start));
        if (part == "*.*" || part == "*") {
            globs.push_back("*");
        } else if (!part.empty()) {
            std::string glob;
            for (const char c : part) {
                const unsigned char byte = static_cast<unsigned char>(c);
                if (std::isalpha(byte) && byte < 0x80) {
                    glob += '[';
                    glob += static_cast<char>(std::tolower(byte));
                    glob += static_cast<char>(std::toupper(byte));
                    glob += ']';
                } else if (c == '[') {
                    // A bracket is an ordinary character in a Windows pattern.
                    glob += "[[]";
                } else {
                    glob += c;
                }
            }
            globs.push_back(glob);
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (globs.empty()) globs.push_back("*");
    return globs;
}

// Dialogs

namespace {

// The foreground window of this process, which owns the file dialogs as the desktop's foreground window
// would; nullptr when none of ours is active.
GtkWindow* ForegroundWindow() {
    GList* toplevels = gtk_window_list_toplevels();
    GtkWindow* active = nullptr;
    for (GList* node = toplevels; node; node = node->next) {
        GtkWindow* window = GTK_WINDOW(node->data);
        if (gtk_window_is_active(window) && gtk_widget_get_visible(GTK_WIDGET(window))) active = window;
    }
    g_list_free(toplevels);
    return active;
}

// Shows the dialog modally and waits for its answer; the caller destroys it.
int RunModal(GtkWidget* dialog, GtkWindow* owner) {
    GtkWindow* window = GTK_WINDOW(dialog);
    gtk_window_set_modal(window, TRUE);
    if (owner) {
        gtk_window_set_transient_for(window, owner);
        gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
    } else {
        gtk_window_set_position(window, GTK_WIN_POS_CENTER);
    }
    return gtk_dialog_run(GTK_DIALOG(dialog));
}

int RunMessageDialog(GtkButtonsType buttons, const VFoundation::VString& caption,
                     const VFoundation::VString& text) {
    // The text goes through "%s": it is neither a format nor markup.
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, buttons, "%s",
                                               GtkBackend::ToUtf8(text.GetText()).c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), GtkBackend::ToUtf8(caption.GetText()).c_str());
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    const int response = RunModal(dialog, nullptr);
    gtk_widget_destroy(dialog);
    return response;
}

GtkWidget* MakeChooser(GtkFileChooserAction action, const VFoundation::VString& title,
                       const char* acceptLabel) {
    const std::string utf8Title = GtkBackend::ToUtf8(title.GetText());
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new(utf8Title.c_str(), nullptr, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                    acceptLabel, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
    return dialog;
}

// Opens the chooser in the folder that initialPath names, or in the folder of the file it names.
void SetInitialFolder(GtkWidget* dialog, const VFoundation::VString& initialPath) {
    if (initialPath.IsEmpty()) return;
    std::error_code error;
    std::filesystem::path path(initialPath.GetText());
    if (!std::filesystem::is_directory(path, error)) path = path.parent_path();
    if (!path.empty() && std::filesystem::is_directory(path, error))
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), path.c_str());
}

void AddFilters(GtkWidget* dialog, const std::vector<FileFilter>& filters) {
    for (const FileFilter& entry : filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, GtkBackend::ToUtf8(entry.description.GetText()).c_str());
        for (const std::string& glob : GtkBackend::ToGlobPatterns(entry.pattern.GetText()))
            gtk_file_filter_add_pattern(filter, glob.c_str());
        // The chooser takes the floating reference; the first filter is the one selected.
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
    }
}

// File names come back in the file system's own bytes, which are this system's path texts.
VFoundation::VString RunChooser(GtkWidget* dialog, GtkWindow* owner) {
    VFoundation::VString chosen;
    if (RunModal(dialog, owner) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
        if (name) chosen = name;
        g_free(name);
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

// The owner named by the caller (a window, or any widget of one), else the foreground window.
GtkWindow* OwnerOf(NativeWindow owner) {
    if (owner && GTK_IS_WIDGET(owner)) {
        GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(owner));
        if (GTK_IS_WINDOW(toplevel)) return GTK_WINDOW(toplevel);
    }
    return ForegroundWindow();
}

} // namespace

int GtkBackend::ShowAlert(const VFoundation::VString& caption, const VFoundation::VString& text) {
    // A message box with only OK answers OK however it is closed.
    RunMessageDialog(GTK_BUTTONS_OK, caption, text);
    return kAlertOK;
}

bool GtkBackend::ShowConfirm(const VFoundation::VString& caption, const VFoundation::VString& text) {
    return RunMessageDialog(GTK_BUTTONS_OK_CANCEL, caption, text) == GTK_RESPONSE_OK;
}

VFoundation::VString GtkBackend::ShowOpenFileDialog(const FileDialogRequest& request) {
    // The open action accepts only a file that exists.
    GtkWidget* dialog = MakeChooser(GTK_FILE_CHOOSER_ACTION_OPEN, request.title, "_Open");
    SetInitialFolder(dialog, request.initialPath);
    AddFilters(dialog, request.filters);
    return RunChooser(dialog, OwnerOf(request.owner));
}

VFoundation::VString GtkBackend::ShowSaveFileDialog(const FileDialogRequest& request) {
    GtkWidget* dialog = MakeChooser(GTK_FILE_CHOOSER_ACTION_SAVE, request.title, "_Save");
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), TRUE);
    SetInitialFolder(dialog, request.initialPath);
    AddFilters(dialog, request.filters);
    if (!request.presetName.IsEmpty())
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog),
                                          ToUtf8(request.presetName.GetText()).c_str());
    return RunChooser(dialog, OwnerOf(request.owner));
}

VFoundation::VString GtkBackend::ShowFolderDialog(const FolderDialogRequest& request) {
    // Only folders of the file system, whatever the flags: the chooser is local-only.
    GtkWidget* dialog = MakeChooser(GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, request.title, "_Select");
    // The chooser opens where the installation would go (not at "Recent"), and small enough for a
    // 1024 x 768 screen with its title in view.
    SetInitialFolder(dialog, request.initialFolder);
    gtk_window_set_default_size(GTK_WINDOW(dialog), 720, 520);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    return RunChooser(dialog, OwnerOf(request.owner));
}

} // namespace VApplication
