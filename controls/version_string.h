#pragma once
// The version strings a module carries: the build gives every module (the program and each library) a
// version resource, and GetVersionString reads one of its named strings ("ProductVersion",
// "FileVersion", "CompanyName", ...) in the block of the module's first translation.
#include <string>
#include <string_view>
#include <vector>

#include "controls/resources/module_resources.h"

// `value` becomes the module's string for `key`, or the empty text: for a null key, a module without a
// version resource or without a translation, or a key the block does not hold.
void GetVersionString(zor::ResourceModule module, const char* key, std::string& value);

namespace zor {

// Look-ups in a version resource by path, letters compared without regard to case:
// "\VarFileInfo\Translation" gives the translations, "\StringFileInfo\<block>\<key>" one string.
// False for any other path, or when the resource has nothing there.
bool QueryVersionTranslations(const VersionResource& version, std::string_view path,
                              std::vector<VersionTranslation>& translations);
bool QueryVersionString(const VersionResource& version, std::string_view path, std::string& value);

// GetVersionString over a given resource (null: none).
std::string VersionStringOf(const VersionResource* version, const char* key);

}  // namespace zor
