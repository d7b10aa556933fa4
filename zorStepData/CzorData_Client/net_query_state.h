#pragma once
// The query side of the networked store: the query last prepared (it runs once, and goes with the
// instances it refers to when the store is emptied) and the look-ups its parser makes on the store.
#include <memory>

#include "platform/zordata/query_parser.h"

class CzorNetQueryState {
public:
    // The prepared query, null when none is.
    CzorQLQueryParser* Prepared() const { return m_pPrepared.get(); }
    // A new query to prepare, replacing the last one.
    CzorQLQueryParser& StartPreparing(CzorStepData* store, CzorQLLookup* lookup) {
        m_pPrepared = std::make_unique<CzorQLQueryParser>(store, lookup);
        return *m_pPrepared;
    }
    void Forget() { m_pPrepared.reset(); }

    // The look-ups, made by `make` on first use.
    template <class Make>
    CzorQLLookup& Lookup(Make&& make) {
        if (!m_pLookup) m_pLookup = make();
        return *m_pLookup;
    }

private:
    std::unique_ptr<CzorQLQueryParser> m_pPrepared;
    std::unique_ptr<CzorQLLookup> m_pLookup;
};
