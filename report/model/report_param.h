#pragma once
// Report parameters: the named values a template declares (CReportParam, kept by the manager in its
// CParamArray and stored as zor_report_param instances), the run-time name and value pairs handed to
// generation and to add-in queries (CRParamsArray of CzorRParam), and an add-in's query record (CzorQuery).
#include <cstdint>
#include <string>
#include <vector>

#include "report/model/element_dialogs.h"
#include "report/model/owned_array.h"

class CFolivox;
class CReportElement;
class CzorInstance;

// Parameter types.
enum : int {
    kParamText = 0,            // "Строка"
    kParamNumber = 1,          // "Число"
    kParamDate = 2,            // "Дата"
    kParamObject = 3,          // "Объект БД": a store instance, in memory only
    kParamPageNumber = 4,      // page number across a merged document
    kParamPageCount = 5,       // page count across a merged document
    kParamCurrentDate = 6,     // current date
    kParamLocalPageNumber = 7, // page number within the report
    kParamLocalPageCount = 8,  // page count within the report
    kParamReportDate = 9,      // date the report was generated
};

// The name under which the system creates a page-field parameter of that type (4 to 9), else "".
const char* PageFieldParamName(int type);

class CReportParam {
public:
    explicit CReportParam(CFolivox* manager);
    CReportParam(const CReportParam&) = default;             // shares the source's store instance
    CReportParam& operator=(const CReportParam&) = default;
    virtual ~CReportParam() = default;

    // true: writes name, type and the value as text (GetText), creating the instance first when there is
    // none; false: reads them back (only with an instance). A number is read back from its text.
    virtual void Update(bool write);

    void SetParam(const std::string& text, int type) { m_nType = type; m_Text = text; }
    void SetParam(int number) { m_nType = kParamNumber; m_nValue = number; }
    void SetParam(CzorInstance* instance) { m_nType = kParamObject; m_pInstValue = instance; }
    // Sets the type and clears every value, also when the type does not change.
    void SetType(int type);
    int GetType() const { return m_nType; }
    // Text: the text (types 0 and 2), "%d" of the number (type 1), empty for every other type.
    std::string GetText() const;
    CFolivox* GetDict() const { return m_pManager; }
    // The properties dialog, through the registered dialogs; true when it ended with OK.
    bool ShowProp() {
        IElementDialogs* dialogs = ElementDialogs();
        return dialogs && dialogs->ShowProp(*this);
    }

    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    CzorInstance* GetInstance() const { return m_pInstance; }
    void SetInstance(CzorInstance* instance) { m_pInstance = instance; }
    int GetIntValue() const { return m_nValue; }
    const std::string& GetTextValue() const { return m_Text; }
    CzorInstance* GetInstValue() const { return m_pInstValue; }

private:
    std::string m_Name;
    CzorInstance* m_pInstance = nullptr;
    int m_nType = kParamText;
    int m_nValue = 0;
    std::string m_Text;
    CzorInstance* m_pInstValue = nullptr;
    CFolivox* m_pManager = nullptr;
};

// The manager's parameters; owns them (Add, GetAt, RemoveAt, RemoveAll, Clear). Deleting a parameter
// leaves its store instance.
class CParamArray : public COwnedPtrArray<CReportParam> {
public:
    // Index of the first parameter with exactly that name (case-sensitive), or -1.
    int Find(const std::string& name) const;
    int Find(const char* name) const { return name ? Find(std::string(name)) : -1; }
    // Index of the first parameter stored as that instance, or -1 (also for null).
    int Find(const CzorInstance* instance) const;
    // Index of the first parameter of that type, or -1.
    int Find(int type) const;
    // Index of that very object, or -1.
    using COwnedPtrArray<CReportParam>::Find;
    // false when a parameter other than except has exactly that name.
    bool IsUnique(const std::string& name, const CReportParam* except) const;
    // Deletes every parameter with its store instance and turns every text that showed a parameter, on
    // every sheet of the manager, loaded or not, into empty own text. An empty list does nothing.
    void DeleteAll();
    // The same for some of the parameters (each must be in this list, or owned by nobody): deleted with
    // their instances, and only the texts that showed one of them emptied.
    void DeleteParams(const std::vector<CReportParam*>& victims);

    // The texts that show one of the parameters (any parameter with everyText), on every sheet: stored values
    // of sheets not loaded, elements (with their values) of loaded ones.
    struct ParamUses {
        std::vector<CzorInstance*> values;
        std::vector<CReportElement*> elements;
        bool Empty() const { return values.empty() && elements.empty(); }
    };
    static ParamUses FindParamUses(CFolivox* manager, const std::vector<CReportParam*>& params, bool everyText = false);
    // Turns those texts into empty own text.
    static void ClearParamUses(CFolivox* manager, const ParamUses& uses);

private:
    // everyText: empty every text that shows any parameter, as when all of them go.
    void DeleteParams(const std::vector<CReportParam*>& victims, bool everyText);
};

// A run-time parameter: a name and a value (and a number, kept for add-in queries).
struct CzorRParam {
    std::string name;
    std::string value;
    int number = 0;
};

// Run-time parameters; owns its records (GetAt, RemoveAt, RemoveAll).
class CRParamsArray : public COwnedPtrArray<CzorRParam> {
public:
    // -1 when either is null; else a new record (number 0) and its index.
    int Add(const char* name, const char* value);
    // -1 for a null name; else a new record with an empty value and that number.
    int Add(const char* name, int number);
    // -1 for null; else appends the record, which the array then owns.
    using COwnedPtrArray<CzorRParam>::Add;
    // The first record with exactly that name gets the value: true; none: false.
    bool Set(const std::string& name, const std::string& value);
};

// An add-in's query: three pointer-sized slots the program fills before a call (the connected store, the
// header to fill, the data source), the name shown, a number and the name under which the add-in module
// exports the query's function.
struct CzorQuery {
    CzorQuery() = default;
    CzorQuery(const char* name, const char* functionName, unsigned number)
        : m_Name(name ? name : ""), m_nNumber(number), m_FunctionName(functionName ? functionName : "") {}

    intptr_t m_nParam1 = 0;
    intptr_t m_nParam2 = 0;
    intptr_t m_nParam3 = 0;
    std::string m_Name;
    unsigned m_nNumber = 0;
    std::string m_FunctionName;
};
