#pragma once
// What engine code answers instead of showing a box: the reason a step failed, the things it had to tell
// while it went on, and the questions it needs answered. One level above the engine turns them into what
// the user sees: boxes in the designer, stderr lines and an exit status in a batch run, a record in tests.
#include <string>
#include <utility>
#include <vector>

namespace zor {

// One message of the system: its text as a format and the arguments put into it ("%s" and "%d" each take
// the next argument, "%%" is a percent sign), and the file it concerns with the reason the system gave for
// that file, where there are such. The file and its reason are for callers that name the file on their own
// (a batch run's stderr); the box shows Text() alone.
struct Reason {
    Reason() = default;
    Reason(std::string format, std::vector<std::string> args = {}, std::string file = {}, std::string detail = {})
        : format(std::move(format)), args(std::move(args)), file(std::move(file)), detail(std::move(detail)) {}

    std::string format;
    std::vector<std::string> args;
    std::string file;
    std::string detail;

    // The message as the user reads it.
    std::string Text() const;
    // Whether Text() already names the file (or there is none to name).
    bool NamesFile() const;
};

// A message with a file; the reason for the file is optional.
Reason FileReason(std::string format, std::vector<std::string> args, std::string file, std::string detail = {});

// The answer of an engine call: the messages it told on the way, in order, and, when it failed, the reason
// that ended it (which comes after them).
class Outcome {
public:
    Outcome() = default;
    static Outcome Failure(Reason why);

    bool Ok() const { return !m_failed; }
    explicit operator bool() const { return Ok(); }
    // The reason of a failed call; an empty one for a call that succeeded.
    const Reason& Why() const { return m_why; }
    const std::vector<Reason>& Notes() const { return m_notes; }

    void AddNote(Reason note) { m_notes.push_back(std::move(note)); }
    // Ends the call with that reason (a later one does not replace the first).
    void Fail(Reason why);
    // Ends the call with the last note told (a step that fails after telling why), about that file unless
    // the note names its own; with no note, with a reason that only names the file.
    void FailOnLastNote(std::string file);
    // Another call's notes and failure, after this one's notes.
    void Take(Outcome other);
    // Every message in the order told: the notes, then the failure.
    std::vector<Reason> Messages() const;

private:
    bool m_failed = false;
    Reason m_why;
    std::vector<Reason> m_notes;
};

// Engine code that goes on after a failure (a table that cannot be filled leaves the report all the same)
// tells it here. While a ScopedNotes stands on this thread the note joins that outcome; with none, it is
// shown at once through the message sink, which is what a caller driving one engine step by itself gets.
void Note(Reason note);

class ScopedNotes {
public:
    explicit ScopedNotes(Outcome& into);
    ~ScopedNotes();
    ScopedNotes(const ScopedNotes&) = delete;
    ScopedNotes& operator=(const ScopedNotes&) = delete;

private:
    Outcome* m_previous;
};

// The one step from an outcome to boxes: each message through the message sink, in order (the program's
// caption, an OK button); a reason without a format shows nothing.
void ShowOutcome(const Outcome& outcome);

// The lines a batch run writes to stderr for a message: "<caption>: <text>", then, when the text does not
// name the file, "<file>: <reason>" (or the file alone). Each line ends with '\n'. A reason without a
// format gives only its file line, one without either nothing.
std::string BatchLines(const Reason& reason, const std::string& caption);

// A yes/no question the engine needs answered while it works. The caller supplies the answer: the designer
// with a box, tests and batch runs with a fixed one.
class IConfirm {
public:
    virtual ~IConfirm() = default;
    virtual bool Confirm(const std::string& question) = 0;
};

// Asks through the message sink with Yes and No, No the default.
class BoxConfirm : public IConfirm {
public:
    bool Confirm(const std::string& question) override;
};

// Answers every question the same way, and keeps them.
class FixedConfirm : public IConfirm {
public:
    explicit FixedConfirm(bool answer) : m_answer(answer) {}
    bool Confirm(const std::string& question) override;
    const std::vector<std::string>& Questions() const { return m_questions; }

private:
    bool m_answer;
    std::vector<std::string> m_questions;
};

}  // namespace zor
