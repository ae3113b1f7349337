#pragma once

#include <QString>
#include <QStringList>

// Runs a script with the distribution's Python (the one with openpyxl and xlwt) and the
// given arguments. False, with the script's errors as a test warning, when it fails; its
// standard output goes to output.
bool runPython(const QString &scriptFile, const QStringList &arguments = {},
               QString *output = nullptr);
