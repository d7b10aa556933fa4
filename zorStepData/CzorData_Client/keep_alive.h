#pragma once
// Small services the networked store's operations share: the keep-alive (one per process), unique
// temporary file names, the pump hook and the sorting of instance lists.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/zordata/taggr.h"

class CzorInstance;
class CzorNetStepData;

namespace zor::net {

// The timer behind the keep-alive: the program runs it on its GUI thread (QtKeepAliveTimer);
// batch runs have none; tests drive a fake one.
class IKeepAliveTimer {
public:
    virtual ~IKeepAliveTimer() = default;
    // (Re)starts a periodic timer that calls `fire` every `ms` milliseconds.
    virtual void Start(int ms, std::function<void()> fire) = 0;
    virtual void Stop() = 0;
};

// A QTimer of the thread that makes it.
class QtKeepAliveTimer : public IKeepAliveTimer {
public:
    QtKeepAliveTimer();
    ~QtKeepAliveTimer() override;
    void Start(int ms, std::function<void()> fire) override;
    void Stop() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class KeepAlive {
public:
    static constexpr int kPeriodMs = 60000;
    static KeepAlive& Instance();
    // Installs the timer (null: none); returns the previous one.
    IKeepAliveTimer* SetTimer(IKeepAliveTimer* timer);
    // 0: stop and start again, 1: start only, 2: stop only.
    void Restart(int how);
    // The store whose session is kept alive (the last that logged in); a store clears itself when
    // it goes.
    void SetSession(CzorNetStepData* store) { m_session = store; }
    void ForgetSession(CzorNetStepData* store) { m_session.compare_exchange_strong(store, nullptr); }
    CzorNetStepData* Session() const { return m_session; }
    // One silent attempt of an empty command 31 when the session is free; errors are not reported.
    unsigned RenewSession();

private:
    IKeepAliveTimer* m_timer = nullptr;
    // Stores on other threads (batch tools, load runs) log in too: the pointer is atomic.
    std::atomic<CzorNetStepData*> m_session{nullptr};
};

// Creates "<folder><prefix><n>.<extension>" with O_CREAT|O_EXCL and mode 0600 for the first n from
// the process's counter that no file takes, so no two processes ever get the same name; the file is
// left empty for the caller. Returns n, or -1 (name empty) when no file can be made there.
int MakeUniqueTempFileName(const char* folder, const char* prefix, const char* extension, std::string* name);

// Runs the program's pump (paint and timer events) between portions of a long operation.
void PumpTimerPaint();
void SetPumpTimerPaint(std::function<void()> pump);

}  // namespace zor::net

// Sorting of instance lists.
class CSortClass {
public:
    static int CompareInstId(const CzorInstance* a, const CzorInstance* b);
    static int CompareInst(const CzorInstance* a, const CzorInstance* b);
    static void SortInstById(CzorTAggr<CzorInstance>& list);
    static void SortExtentById(CzorTAggr<CzorInstance>& list) { SortInstById(list); }
    static void SortInstByInst(CzorTAggr<CzorInstance>& list);
    static void SortExtentByInst(CzorTAggr<CzorInstance>& list) { SortInstByInst(list); }
    // Removes neighbouring repeats (sort first to remove every repeat).
    static void MakeExtUnique(CzorTAggr<CzorInstance>& list);
};
