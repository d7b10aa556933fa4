#pragma once
// What the transport client asks of the user: the retry dialog and Yes/No questions. The program
// installs its windows; batch runs and tests install their own. A batch run never waits: the retry
// dialog skips and every question is answered No (the stderr sink's default button would say Yes).
#include <memory>
#include <string>

class CDlgTransportError;

namespace zor::net {

class INetUi {
public:
    virtual ~INetUi() = default;
    // Runs the retry dialog; returns CDlgTransportError::kRetry or kSkip.
    virtual int RunRetryDialog(CDlgTransportError& dlg) = 0;
    // A Yes/No question (true: Yes).
    virtual bool Ask(const std::string& text, const std::string& caption) = 0;
    // A message box.
    virtual void Tell(const std::string& text, const std::string& caption, unsigned icon) = 0;
};

// Questions and messages through the message sink; the retry dialog skips. The default.
class BatchNetUi : public INetUi {
public:
    int RunRetryDialog(CDlgTransportError& dlg) override;
    bool Ask(const std::string& text, const std::string& caption) override;
    void Tell(const std::string& text, const std::string& caption, unsigned icon) override;
};

// Questions through the message sink with its answer (the program's boxes, a test's queued answers).
class SinkNetUi : public BatchNetUi {
public:
    bool Ask(const std::string& text, const std::string& caption) override;
};

INetUi* SetNetUi(INetUi* ui);  // null restores the batch one; returns the previous
INetUi& NetUi();

}  // namespace zor::net
