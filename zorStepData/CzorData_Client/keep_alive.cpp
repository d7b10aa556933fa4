#include "zorStepData/CzorData_Client/keep_alive.h"

#include <fcntl.h>
#include <unistd.h>

#include <QTimer>
#include <atomic>
#include <cerrno>
#include <functional>
#include <vector>

#include "platform/zordata/instance.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace zor::net {

struct QtKeepAliveTimer::Impl {
    QTimer timer;
    QMetaObject::Connection connection;
};

QtKeepAliveTimer::QtKeepAliveTimer() : m_impl(std::make_unique<Impl>()) {}
QtKeepAliveTimer::~QtKeepAliveTimer() = default;

void QtKeepAliveTimer::Start(int ms, std::function<void()> fire) {
    Stop();
    m_impl->connection = QObject::connect(&m_impl->timer, &QTimer::timeout, std::move(fire));
    m_impl->timer.start(ms);
}

void QtKeepAliveTimer::Stop() {
    m_impl->timer.stop();
    QObject::disconnect(m_impl->connection);
}

KeepAlive& KeepAlive::Instance() {
    static KeepAlive k;
    return k;
}

IKeepAliveTimer* KeepAlive::SetTimer(IKeepAliveTimer* timer) {
    IKeepAliveTimer* old = m_timer;
    if (old) old->Stop();
    m_timer = timer;
    return old;
}

void KeepAlive::Restart(int how) {
    if (!m_timer) return;
    if (how != 1) m_timer->Stop();
    if (how != 2) m_timer->Start(kPeriodMs, [this] { RenewSession(); });
}

unsigned KeepAlive::RenewSession() {
    CzorNetStepData* session = m_session;
    CTransportSocketClient* t = session ? session->GetTransport() : nullptr;
    if (!t || !session->IsConnected() || !t->IsConnected() || !t->IsFree()) return 0;
    // Silent: no retry dialog, no reconnect question, nothing recorded in the store.
    const bool hide = t->GetHideMode();
    t->SetHideMode(true);
    t->SetWaitDlgText("Обновление регистрационных данных");
    int status = 0;
    t->RequestKeepAlive(status);
    if (status != ZOR_SOCK_OPERATION_IN_PROGRESS) t->ClearInternalData();
    t->SetHideMode(hide);
    return 0;
}

namespace {
std::atomic<int> g_counter{0};
std::function<void()> g_pump;
}  // namespace

int MakeUniqueTempFileName(const char* folder, const char* prefix, const char* extension, std::string* name) {
    if (name) name->clear();
    const std::string f = folder ? folder : "", p = prefix ? prefix : "", e = extension ? extension : "";
    for (int tries = 0; tries < 1000000; ++tries) {
        const int n = g_counter++;
        const std::string candidate = f + p + std::to_string(n) + "." + e;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            if (name) *name = candidate;
            return n;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

void PumpTimerPaint() {
    if (g_pump) g_pump();
}

void SetPumpTimerPaint(std::function<void()> pump) { g_pump = std::move(pump); }

}  // namespace zor::net

int CSortClass::CompareInstId(const CzorInstance* a, const CzorInstance* b) {
    const int x = a ? a->GetId() : 0, y = b ? b->GetId() : 0;
    return x < y ? -1 : x > y ? 1 : 0;
}

int CSortClass::CompareInst(const CzorInstance* a, const CzorInstance* b) {
    const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

void CSortClass::SortInstById(CzorTAggr<CzorInstance>& list) {
    if (list.GetSize() < 2) return;
    list.Sort([](const CzorInstance* a, const CzorInstance* b) { return CompareInstId(a, b) < 0; });
}

void CSortClass::SortInstByInst(CzorTAggr<CzorInstance>& list) {
    if (list.GetSize() < 2) return;
    list.Sort([](const CzorInstance* a, const CzorInstance* b) { return CompareInst(a, b) < 0; });
}

void CSortClass::MakeExtUnique(CzorTAggr<CzorInstance>& list) {
    if (list.GetSize() < 2) return;
    const bool unique = list.IsUnique();
    list.SetUnique(false);
    std::vector<CzorInstance*> items(list.begin(), list.end());
    list.RemoveAll();
    list.Add(items[0]);
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i] != items[i - 1]) list.Add(items[i]);
    list.SetUnique(unique);
}
