#pragma once
// Files dropped on the designer (its navigator or a report window): which of them open, and how.
#include <string>

namespace quillmark {

enum class DroppedFile { Missing, Report, Template, Other };

// A file that is not there is Missing; otherwise its lower-cased extension decides: "zorrep" a report,
// "zordot" a template, anything else is not ours.
DroppedFile ClassifyDroppedFile(const std::string& path);

}  // namespace quillmark
