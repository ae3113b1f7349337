#pragma once

#include <QString>
#include <QStringList>

// The desktop's own small programs the 工具 menu starts, found on PATH from lists of the
// usual names, most common first.
namespace DesktopPrograms {

const QStringList &Calculators();
const QStringList &TextEditors();

// The path of the first program of the list found on PATH; empty when none is.
QString findFirst(const QStringList &names);

} // namespace DesktopPrograms
