#pragma once
// The retry dialog's logic (the window is a thin view over it): the message, the
// repeat-automatically box and a countdown that retries by itself when it runs out.
#include <string>

class CDlgTransportError {
public:
    static constexpr int kRetry = 100010;
    static constexpr int kSkip = 2;

    std::string m_message;
    int m_repeatAuto = 0;  // taken from the box on Retry only
    int m_countdown = 0;   // seconds; kept between runs within one request

    // Opening: the countdown runs when it is at least 1.
    void Open();
    bool Running() const { return m_running; }
    // One second passed. True: the dialog ends as Retry now.
    bool Tick();
    // The Retry button's text.
    std::string RetryText() const;
    // Buttons. Retry and Skip end the dialog (their result); Stop keeps it open.
    int Retry(bool boxTicked);
    void Stop();
    int Skip();
    // The box's state as shown when the dialog opens.
    bool BoxShown() const { return m_repeatAuto != 0; }

private:
    bool m_running = false;
};
