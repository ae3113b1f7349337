#pragma once

#include <QWidget>

class DataSet;

// Every window shown in a tab. The main window's tab commands call these operations on the
// window of the active tab; each does nothing unless a window overrides it.
class TChildForm : public QWidget {
    Q_OBJECT
public:
    explicit TChildForm(QWidget *parent = nullptr);

    virtual void SaveLayout() {}
    virtual void DesignTemplate() {}
    virtual void PreviewReport() {}
    virtual void PrintReport() {}
    virtual void ExportToExcel() {}
    virtual void ImportFromExcel() {}
    virtual void CopyRow() {}
    virtual void PasteRow() {}
    virtual void ClearAll() {}
    virtual void DeleteRow() {}

    // Saves a row still being typed, so that closing never drops it. Throws QuilletError
    // when the row cannot be saved as it stands.
    virtual void PostPendingEdits() {}
    // Drops what is being typed, for a row the user gives up saving.
    virtual void DiscardPendingEdits() {}

    // The data the 删除 command follows: greyed out while it shows no row.
    virtual DataSet *mainDataSet() const { return nullptr; }

Q_SIGNALS:
    // A row was remembered by CopyRow: the main window enables 粘贴行.
    void rowCopied();
};
