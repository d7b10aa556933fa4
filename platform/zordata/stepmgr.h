#pragma once
// The store-management layer: display options, the managers of the management
// interface and the number check used by dialogs and generation.
#include <string>

#include "platform/zordata/taggr.h"

class CzorAPI;

// True for the empty text and for the text of a real number: an optional sign, digits
// with an optional fraction ("12", "-3.5", ".5", "5."), an optional exponent ("1e-3").
// Blanks (spaces, tabs) around the number are accepted; a text of blanks only is not
// empty and is refused. The decimal separator is always the point, whatever the locale;
// "inf", "nan", numbers too large for a double ("1e400"), hexadecimal forms and commas are
// refused.
bool zorIsRealOrEmpty(const char* text);
bool zorIsRealOrEmpty(const std::string& text);

// Fifty display options copied as one block.
class CShowOpt {
public:
    static constexpr int kOptionCount = 50;
    CShowOpt();
    CShowOpt(const CShowOpt& other);
    CShowOpt& operator=(const CShowOpt& other);
    virtual ~CShowOpt() = default;
    int GetOption(int i) const { return (i >= 0 && i < kOptionCount) ? m_Options[i] : 0; }
    void SetOption(int i, int value) { if (i >= 0 && i < kOptionCount) m_Options[i] = value; }
protected:
    int m_Options[kOptionCount];
};

// Base of the managers: bound to one management interface, holding items it owns.
class CzorStepManager {
public:
    class CItem {
    public:
        virtual ~CItem() = default;
    };
    CzorStepManager() = default;
    CzorStepManager(const CzorStepManager&) = delete;
    CzorStepManager& operator=(const CzorStepManager&) = delete;
    virtual ~CzorStepManager();
    // Binds the manager; false for null.
    virtual bool Attach(CzorAPI* api);
    // Unbinds it and deletes its items.
    virtual void Detach();
    CzorAPI* GetAPI() const { return m_pAPI; }
protected:
    CzorAPI* m_pAPI = nullptr;
    CzorTAggr<CItem> m_Items{8, false, true};
};

class CzorCategoryManager : public CzorStepManager {};
class CzorDocManager : public CzorStepManager {};
class CzorProductManager : public CzorStepManager {};
class CzorPrdInstManager : public CzorStepManager {};
class CzorBPManager : public CzorStepManager {};
class CzorCharacreristicManager : public CzorStepManager {};
class CzorUnitExchangeManager : public CzorStepManager {};
class CzorFolderManager : public CzorStepManager {};
class CzorMessageManager : public CzorStepManager {};
class CzorAutorizationManager : public CzorStepManager {};
class CzorChangeManager : public CzorStepManager {};
class CzorQueryManager : public CzorStepManager {};
class CzorClassifierMgr : public CzorStepManager {};

class CzorPreProjectManager : public CzorStepManager {
public:
    bool Attach(CzorAPI* api) override;
    void Detach() override;
};

class CzorOptionsManager : public CzorStepManager {
public:
    bool Attach(CzorAPI* api) override;
    void Detach() override;
    // The option texts the manager keeps while attached.
    CzorTAggr<std::string>& GetOptions() { return m_Options; }
protected:
    bool m_bLoaded = false;
    int m_nReserved = 0;
    CzorTAggr<std::string> m_Options{8, false, true};
};
