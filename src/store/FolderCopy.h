#pragma once

#include <QString>

// Copying the files directly inside one folder into another, never over a file already there.
namespace FolderCopy {

struct Counts {
    int copied = 0;
    int kept = 0;   // a file of the same name was already there and stays as it was
    int failed = 0; // could not be read or written
};

// Copies every file directly inside from (hidden ones too; no sub-folders) into to, which is
// made, with any missing parents, when there is something to copy. A missing from copies
// nothing.
Counts CopyNewFiles(const QString &from, const QString &to);

} // namespace FolderCopy
