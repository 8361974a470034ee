#include "application/platform/headless/HeadlessResponder.h"

#include <cstdio>

namespace VApplication {

void ScriptedResponder::Push(DialogAnswer answer) {
    std::lock_guard<std::mutex> lock(m_guard);
    m_answers.push_back(std::move(answer));
}

void ScriptedResponder::SetCallback(Callback callback) {
    std::lock_guard<std::mutex> lock(m_guard);
    m_callback = std::move(callback);
}

DialogAnswer ScriptedResponder::Answer(const DialogRequest& request) {
    Callback callback;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_requests.push_back(request);
        if (!m_answers.empty()) {
            DialogAnswer answer = std::move(m_answers.front());
            m_answers.pop_front();
            return answer;
        }
        if (!m_callback) {
            ++m_unexpected;
            return DialogAnswer::No();
        }
        callback = m_callback;
    }
    // Outside the guard: the callback may script further answers.
    return callback(request);
}

std::vector<DialogRequest> ScriptedResponder::GetRequests() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_requests;
}

int ScriptedResponder::GetUnexpectedCount() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_unexpected;
}

size_t ScriptedResponder::GetPendingCount() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_answers.size();
}

SilentResponder::SilentResponder(Options options, LineSink sink)
    : m_options(std::move(options)), m_sink(std::move(sink)) {}

std::string SilentResponder::EscapeText(const char* text) {
    std::string escaped;
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c == '\n')
            escaped += "\\n";
        else if (*c == '\r')
            escaped += "\\r";
        else
            escaped += *c;
    }
    return escaped;
}

void SilentResponder::WriteLine(const std::string& line) const {
    if (m_sink) {
        m_sink(line);
        return;
    }
    // One call per line, so lines from several threads never interleave inside the stream.
    const std::string withFeed = line + "\n";
    std::fputs(withFeed.c_str(), stderr);
    std::fflush(stderr);
}

DialogAnswer SilentResponder::Answer(const DialogRequest& request) {
    const std::string text = EscapeText(request.text.GetText());
    auto pathAnswer = [&](const char* label, const VFoundation::VString& path) {
        WriteLine(std::string(label) + ": " + text + " -> " +
                  (path.IsEmpty() ? std::string("cancelled") : EscapeText(path.GetText())));
        return path.IsEmpty() ? DialogAnswer::Cancel() : DialogAnswer::Path(path.GetText());
    };
    switch (request.kind) {
    case DialogKind::Alert:
        WriteLine("Alert: " + text);
        return DialogAnswer::Yes();
    case DialogKind::Confirm:
        WriteLine("Confirm: " + text + (m_options.confirmAnswer ? " -> yes" : " -> no"));
        return m_options.confirmAnswer ? DialogAnswer::Yes() : DialogAnswer::No();
    case DialogKind::OpenFile:
        return pathAnswer("Open", m_options.openPath);
    case DialogKind::SaveFile:
        return pathAnswer("Save", m_options.savePath);
    case DialogKind::Folder:
        return pathAnswer("Folder", m_options.folderPath);
    }
    return DialogAnswer::No();
}

} // namespace VApplication
