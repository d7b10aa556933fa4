#pragma once
// The instance properties dialog (template 7015, "Свойства instance-ов"): a list of who created
// and last changed the given instances and when. Its rows are worked out without widgets.
#include <functional>
#include <string>
#include <vector>

#include "platform/zordata/taggr.h"

class CzorStepData;
struct SInstInfo;

struct InstPropertiesView {
    std::vector<std::string> headings;
    std::vector<int> widths;
    std::vector<std::vector<std::string>> rows;
};

// "%m/%d/%Y %H:%M:%S" of an OLE date, "неизвестно" for 0.0.
std::string FormatInstDate(double date);

// The columns for a list of client width `width`, and one row per record.
InstPropertiesView MakeInstPropertiesView(const CzorTAggr<SInstInfo>* records,
                                          const std::vector<std::string>* comments, CzorStepData* store, int width);

// Shows the dialog modally (nothing without a running application). Tests replace the runner.
using InstPropertiesRunner = std::function<void(const CzorTAggr<SInstInfo>&, const std::vector<std::string>*, CzorStepData*)>;
InstPropertiesRunner SetInstPropertiesRunner(InstPropertiesRunner runner);
void RunInstPropertiesDialog(const CzorTAggr<SInstInfo>& records, const std::vector<std::string>* comments,
                             CzorStepData* store);
