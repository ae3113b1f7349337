#pragma once

#include <QIcon>

// The pictures of the tree nodes. A form kind shows its own picture while selected.
namespace NodeImages {
enum Role { Root = 0, Category = 1, FormKind = 2, FormKindSelected = 3, CommonData = 4 };
QIcon icon(Role role);
} // namespace NodeImages
