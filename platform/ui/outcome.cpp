#include "platform/ui/outcome.h"

#include "platform/base/file_io.h"
#include "platform/ui/messages.h"

namespace zor {

std::string Reason::Text() const {
    std::string text;
    text.reserve(format.size());
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            text += c;
            continue;
        }
        const char conversion = format[++i];
        if (conversion == 's' || conversion == 'd') {
            if (next < args.size()) text += args[next++];
        } else if (conversion == '%') {
            text += '%';
        } else {
            text += c;
            text += conversion;
        }
    }
    return text;
}

bool Reason::NamesFile() const { return file.empty() || Text().find(file) != std::string::npos; }

Reason FileReason(std::string format, std::vector<std::string> args, std::string file, std::string detail) {
    return Reason{std::move(format), std::move(args), std::move(file), std::move(detail)};
}

Outcome Outcome::Failure(Reason why) {
    Outcome outcome;
    outcome.Fail(std::move(why));
    return outcome;
}

void Outcome::Fail(Reason why) {
    if (m_failed) return;
    m_failed = true;
    m_why = std::move(why);
}

void Outcome::FailOnLastNote(std::string file) {
    Reason why;
    if (!m_notes.empty()) {
        why = std::move(m_notes.back());
        m_notes.pop_back();
    }
    if (why.file.empty()) why.file = std::move(file);
    Fail(std::move(why));
}

void Outcome::Take(Outcome other) {
    for (Reason& note : other.m_notes) m_notes.push_back(std::move(note));
    if (!other.Ok()) Fail(std::move(other.m_why));
}

std::vector<Reason> Outcome::Messages() const {
    std::vector<Reason> all = m_notes;
    if (m_failed) all.push_back(m_why);
    return all;
}

namespace {
thread_local Outcome* t_notes = nullptr;
}  // namespace

void Note(Reason note) {
    if (t_notes)
        t_notes->AddNote(std::move(note));
    else
        AfxMessageBox(note.Text(), MB_OK);
}

ScopedNotes::ScopedNotes(Outcome& into) : m_previous(t_notes) { t_notes = &into; }

ScopedNotes::~ScopedNotes() { t_notes = m_previous; }

void ShowOutcome(const Outcome& outcome) {
    for (const Reason& message : outcome.Messages())
        if (!message.format.empty()) AfxMessageBox(message.Text(), MB_OK);
}

std::string BatchLines(const Reason& reason, const std::string& caption) {
    const std::string text = reason.Text();
    std::string lines;
    if (!reason.format.empty()) {
        lines = caption.empty() ? text : caption + ": " + text;
        if (lines.empty() || lines.back() != '\n') lines += '\n';
    }
    if (!reason.NamesFile()) {
        lines += reason.detail.empty() ? reason.file : FileFailureLine(reason.file, reason.detail);
        lines += '\n';
    }
    return lines;
}

bool BoxConfirm::Confirm(const std::string& question) {
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool FixedConfirm::Confirm(const std::string& question) {
    m_questions.push_back(question);
    return m_answer;
}

}  // namespace zor
