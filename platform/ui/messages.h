#pragma once
// Every message box and question of the system goes through one replaceable sink:
// a modal box in the program, stderr in batch runs (never waits), a recorder in tests.
#include <mutex>
#include <string>
#include <vector>

// Buttons, icons and default-button flags, combined with '|' as callers always did.
enum : unsigned {
    MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,
    MB_ICONERROR = 0x10, MB_ICONSTOP = 0x10, MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40, MB_ICONASTERISK = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00,
};
// Answers.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

namespace zor {

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Shows text with a caption; returns the button chosen (one of ID...).
    virtual int Show(const std::string& text, const std::string& caption, unsigned type) = 0;
};

// The answer a box gives when nobody can click: its default button.
int DefaultAnswer(unsigned type);

// Writes "caption: text" to stderr and answers with the default button.
class StderrMessageSink : public IMessageSink {
public:
    int Show(const std::string& text, const std::string& caption, unsigned type) override;
};

// Keeps every message; answers from a queue of scripted answers, else with the default button.
class RecordingMessageSink : public IMessageSink {
public:
    struct Message { std::string text, caption; unsigned type; int answer; };
    int Show(const std::string& text, const std::string& caption, unsigned type) override;
    void QueueAnswer(int answer);
    std::vector<Message> Messages() const;
    std::vector<std::string> Texts() const;
    void Clear();
private:
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
    std::vector<int> m_answers;
};

// The process-wide sink (stderr until something else is installed). Returns the previous one.
IMessageSink* SetMessageSink(IMessageSink* sink);
IMessageSink& MessageSink();
// The caption used when a caller gives none (the program's title).
void SetDefaultCaption(const std::string& caption);
const std::string& DefaultCaption();

// Installs a sink for the lifetime of a scope (tests).
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(IMessageSink* sink) : m_prev(SetMessageSink(sink)) {}
    ~ScopedMessageSink() { SetMessageSink(m_prev); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;
private:
    IMessageSink* m_prev;
};

}  // namespace zor

// The familiar call: text, buttons and icon; the caption is the program's title.
int AfxMessageBox(const std::string& text, unsigned type = MB_OK);
int zorMessageBox(const std::string& text, const std::string& caption, unsigned type = MB_OK);
