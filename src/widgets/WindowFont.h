#pragma once

#include <QFont>

namespace WindowFont {
// 宋体 at 9 points, or the closest Chinese font installed.
QFont songTi();
} // namespace WindowFont
