#pragma once
// The transfer progress window: the caller's thread stores how far a transfer has come and asks
// whether the user aborted; the window samples the percentage twice a second. The window lives on
// the caller's thread and stays live through the socket client's event pump during calls.
// Abort (the button, Esc, the close box) breaks the socket call under way and leaves the window
// open until the caller closes it.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class CTransportSocketClient;
class QDialog;

// The shared state, guarded by one lock.
class CWaitProgressState {
public:
    // Caller: stores the percentage; true once the user has aborted.
    bool SetPercent(int percent);
    void Close();
    // Window: the user aborted.
    void Abort();
    bool Aborted() const;
    bool CloseAsked() const;
    int Percent() const;

private:
    mutable std::mutex m_lock;
    int m_percent = 0;
    bool m_aborted = false;
    bool m_close = false;
};

class CDlgWaitProgress {
public:
    CDlgWaitProgress();
    ~CDlgWaitProgress();
    std::string m_text;
    CTransportSocketClient* m_pTransport = nullptr;
    // Runs on abort besides breaking the transport client's call (tests watch it).
    std::function<void()> m_onAbort;

    // Opens the window (dialog 7012) with the caption m_text.
    void Start();
    bool SetPercent(int percent) { return m_state.SetPercent(percent); }
    // Asks the window to end; it does so at its next tick.
    void Close() { m_state.Close(); }
    // The window, while it is open (tests find its controls by their ids).
    QDialog* Window() const;
    // One tick of the window's 500 ms timer (tests call it directly).
    void Tick();
    CWaitProgressState& State() { return m_state; }

private:
    void OnAbort();
    CWaitProgressState m_state;
    struct View;
    std::unique_ptr<View> m_view;
};
