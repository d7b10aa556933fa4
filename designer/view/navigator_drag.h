#pragma once
// The record a navigator item carries while it is dragged (mime format "QuillmarkSheet"): the dragging
// process's 32-bit identifier and the item's 64-bit id, both in the machine's byte order. Ids, never
// addresses: a record from another process, of an item that has gone or forged bytes finds nothing.
#include <optional>
#include <string>

namespace quillmark {

// The record of the item with this id, dragged by this process.
std::string MakeNavigatorDragRecord(long long itemId);
// The item id of a record this process made; nothing for one of another size or another process.
std::optional<long long> ReadNavigatorDragRecord(const std::string& record);

}  // namespace quillmark
