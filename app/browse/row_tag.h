#pragma once
// The item data that holds a list row's Tag: the full path of the file the row loads. The file
// list, the basket and the viewer all read it.
#include <Qt>

namespace browse {

inline constexpr int kRowTagRole = Qt::UserRole;

}  // namespace browse
