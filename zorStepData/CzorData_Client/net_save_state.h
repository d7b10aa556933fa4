#pragma once
// The saving side of the networked store: how many instances a portion holds, how far the save
// under way has come, the portion whose outcome is unknown (sent without a trustworthy reply) and
// the deletions the server has confirmed. Changed marks and ids stay on the instances.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/zordata/databuf.h"
#include "platform/zordata/stepbuf.h"

class CzorInstance;

// One portion of a save as it went to the server: the request body, the token that tags it, the
// instances of its headers in order and the value slots whose changed marks it carries.
struct CzorSavePortion {
    CzorDataBuf body;
    uint64_t token = 0;
    std::vector<CzorInstance*> headers;
    std::vector<zorStepBufHeader> sent;  // the headers as they went (the instances may change since)
    std::vector<std::pair<CzorInstance*, int>> written;
};

class CzorNetSaveState {
public:
    // Instances a portion holds (0: all in one portion); refused while a save is under way
    // (percent neither 0 nor 100) and for a negative number.
    bool SetPortionSize(int n) {
        const int percent = m_nPercent.load();
        if ((percent != 0 && percent != 100) || n < 0) return false;
        m_nPortion = n;
        return true;
    }
    int PortionSize() const { return m_nPortion; }
    // The size of each portion of a save of `count` instances.
    int PortionFor(int count) const { return m_nPortion > 0 ? m_nPortion : std::max(count, 1); }

    // Read from other threads (a progress window) while a save runs.
    int Percent() const { return m_nPercent.load(); }
    void SetPercent(int percent) { m_nPercent = percent; }

    CzorSavePortion* Unconfirmed() const { return m_pUnconfirmed.get(); }
    void KeepUnconfirmed(std::unique_ptr<CzorSavePortion> portion) { m_pUnconfirmed = std::move(portion); }
    void DropUnconfirmed() { m_pUnconfirmed.reset(); }

    // Tombstones whose deletion the server has confirmed are not sent again.
    bool DeletionSaved(const CzorInstance* inst) const { return m_SavedDeletions.count(inst) != 0; }
    void NoteDeletionSaved(const CzorInstance* inst) { m_SavedDeletions.insert(inst); }

    // What the server was told no longer matters: the store was emptied or the session ended.
    void Forget() {
        m_pUnconfirmed.reset();
        m_SavedDeletions.clear();
    }

private:
    int m_nPortion = 0;
    std::atomic<int> m_nPercent{0};
    std::unique_ptr<CzorSavePortion> m_pUnconfirmed;
    std::unordered_set<const CzorInstance*> m_SavedDeletions;
};
