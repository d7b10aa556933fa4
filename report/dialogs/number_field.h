#pragma once
// Reading a number typed into an edit, the way every report dialog does: point decimals whatever the
// locale, the range message when it lies outside the edit's range.
#include <optional>
#include <string>

// nullopt for an empty field; false for a text that is not a number.
bool ReadNumberField(const std::string& text, std::optional<double>& out);
// The number, or false after the message "Введите число от <min> до <max>." (also for an empty field
// and for a text that is not a number).
bool ReadNumberInRange(const std::string& text, double min, double max, double& out);
