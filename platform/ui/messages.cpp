#include "platform/ui/messages.h"

#include <atomic>
#include <cstdio>

namespace zor {

int DefaultAnswer(unsigned type) {
    const unsigned def = (type & MB_DEFMASK) >> 8;
    static const int buttons[6][3] = {
        {IDOK, IDOK, IDOK},
        {IDOK, IDCANCEL, IDCANCEL},
        {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL},
        {IDYES, IDNO, IDNO},
        {IDRETRY, IDCANCEL, IDCANCEL},
    };
    const unsigned kind = type & MB_TYPEMASK;
    if (kind > 5) return IDOK;
    return buttons[kind][def > 2 ? 0 : def];
}

int StderrMessageSink::Show(const std::string& text, const std::string& caption, unsigned type) {
    std::string line = caption.empty() ? text : caption + ": " + text;
    if (line.empty() || line.back() != '\n') line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return DefaultAnswer(type);
}

int RecordingMessageSink::Show(const std::string& text, const std::string& caption, unsigned type) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int answer = DefaultAnswer(type);
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.erase(m_answers.begin());
    }
    m_messages.push_back({text, caption, type, answer});
    return answer;
}

void RecordingMessageSink::QueueAnswer(int answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<RecordingMessageSink::Message> RecordingMessageSink::Messages() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

std::vector<std::string> RecordingMessageSink::Texts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    for (const auto& m : m_messages) out.push_back(m.text);
    return out;
}

void RecordingMessageSink::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_messages.clear();
    m_answers.clear();
}

namespace {
StderrMessageSink g_stderrSink;
std::atomic<IMessageSink*> g_sink{&g_stderrSink};
std::string& Caption() {
    static std::string caption = "Квиллмарк";
    return caption;
}
}  // namespace

IMessageSink* SetMessageSink(IMessageSink* sink) {
    return g_sink.exchange(sink ? sink : &g_stderrSink);
}
IMessageSink& MessageSink() { return *g_sink.load(); }
void SetDefaultCaption(const std::string& caption) { Caption() = caption; }
const std::string& DefaultCaption() { return Caption(); }

}  // namespace zor

int AfxMessageBox(const std::string& text, unsigned type) {
    return zor::MessageSink().Show(text, zor::DefaultCaption(), type);
}

int zorMessageBox(const std::string& text, const std::string& caption, unsigned type) {
    return zor::MessageSink().Show(text, caption, type);
}
