#pragma once
// The entry points through which the program's batch modes, its image export and its editor view drive
// generation and merging. The ...Outcome forms answer what went wrong as a value (platform/ui/outcome.h) and
// show nothing; the others show that answer through the message sink (never a wait in a batch run).
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/outcome.h"
#include "report/model/data_source.h"

class CFolivox;
class CRParamsArray;
class CzorInstance;
class CzorStepData;
class QImage;

// A report file from a template, the manager's data source (already filled) and run-time values.
// The networked store may be null (attribute-path columns are then not added). The outcome holds what the
// run told on the way and, when no report file was written, why (the template, the dictionary or the report
// file named with it); no half-written report is ever left under reportPath. Nothing is shown.
zor::Outcome GenerateReportOutcome(CFolivox* manager, CRParamsArray* values, const char* templatePath,
                                   const char* reportPath, CzorStepData* netStore);
// The same with the run-time values read from a parameter file of name=value lines.
zor::Outcome GenerateReportOutcome(CFolivox* manager, const char* templatePath, const char* paramFile,
                                   const char* reportPath, CzorStepData* netStore);
// Both of them with the outcome shown as boxes, in order; true when the report file was written.
bool GenerateReport(CFolivox* manager, CRParamsArray* values, const char* templatePath, const char* reportPath,
                    CzorStepData* netStore);
bool GenerateReport(CFolivox* manager, const char* templatePath, const char* paramFile, const char* reportPath,
                    CzorStepData* netStore);

// The date written into "date of generation" fields, as "%d.%m.%Y" of the local date: the system clock's,
// or the clock a CScopedGenerationClock puts in force (tests make dates fixed with it).
std::string GenerationDateText();
class CScopedGenerationClock {
public:
    explicit CScopedGenerationClock(std::function<std::time_t()> clock);
    ~CScopedGenerationClock();
    CScopedGenerationClock(const CScopedGenerationClock&) = delete;
    CScopedGenerationClock& operator=(const CScopedGenerationClock&) = delete;

private:
    std::function<std::time_t()> m_previous;
};

// A rendered page bitmap written as an image file, the format chosen by the extension in any letter case:
// bmp/dib, jpg/jpeg, png, ico (palette images only), tif/tiff; another shows "Неизвестный формат файла.".
// The file is replaced atomically; a failure answers its reason. SaveBitmapAs shows that reason and is true
// when the file was written.
zor::Outcome SaveBitmapOutcome(const QImage& bitmap, const char* file);
bool SaveBitmapAs(const QImage& bitmap, const char* file);
// The image format SaveBitmapAs picks for the file name (image_file.h's IMAGE_FORMAT_*), -1 for none.
int BitmapFormatOfPath(const std::string& path);
// A copy of the manager's data source written to the file named by the profile value "FileDS", its rows
// in the order given (a section's sorted copy of them) or else in their own; false.
bool SaveToFile(CFolivox* manager, const CTableRowArray* rows = nullptr);

// Merges the source report into the target report and saves the target (atomically). True on success;
// on any failure the target file is left as it was. The ...Outcome forms answer what the merge told and
// why it failed, showing nothing; the others show that and answer whether the target was saved.
zor::Outcome UnificationReportsOutcome(const std::string& target, const std::string& source);
bool UnificationReports(const std::string& target, const std::string& source);
// Merges every source in turn and saves the target once, at the end (atomically); a source that can't be
// loaded ends the run with false and nothing written. progress(step, count), when given, is called with 0
// at the start, 1 once the target is loaded and one step more after each source (count: sources + 1).
zor::Outcome UnificationArrayReportsOutcome(const std::string& target, const std::vector<std::string>* sources,
                                            void (*progress)(int step, int count, void* context) = nullptr,
                                            void* context = nullptr);
bool UnificationArrayReports(const std::string& target, const std::vector<std::string>* sources,
                             void (*progress)(int step, int count, void* context) = nullptr,
                             void* context = nullptr);

// Reading a stored template or report into a manager attached to its store (generation and the designer's
// document read files the same way).
// Every zor_report_param instance as a parameter of the manager, read.
void ReadReportParams(CFolivox& manager);
// The columns of the first zor_result_select and zor_select records into the manager's two headers, read;
// the records found (null when absent).
void ReadReportHeaders(CFolivox& manager, CzorInstance*& select, CzorInstance*& resultSelect);
// The root's sheets in order, each named "Лист<n>" and loaded; a sheet or an element listed twice counts
// once. step(index, count) runs before each listed sheet.
void ReadReportSheets(CFolivox& manager, CzorInstance* root, const std::function<void(int, int)>& step = {});
// The continuations read before their tables are bound; one whose table is missing leaves its sheet.
void BindReportContinuations(CFolivox& manager);
