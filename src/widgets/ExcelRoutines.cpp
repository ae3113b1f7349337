#include "ExcelRoutines.h"

#include "FileDialogs.h"
#include "store/DataSet.h"
#include "store/KindRecords.h"
#include "store/SheetImport.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/Worksheet.h"
#include "store/XlsxWriter.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

namespace {

const QString ExcelFilter = QStringLiteral("Excel 文件(*.xlsx *.xls)");
// Work on more rows than this shows its progress and can be cancelled.
constexpr int ProgressFrom = 2000;

// The wait cursor for the life of the object, so that every way out restores it.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// A progress dialog for long work only (more than showFrom steps, and slow enough to be
// seen); while it shows, the window keeps answering.
class Progress {
public:
    Progress(QWidget *parent, const QString &label, int total, int showFrom = ProgressFrom)
    {
        if (total <= showFrom)
            return;
        m_dialog =
            std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, total, parent);
        m_dialog->setWindowTitle(QApplication::applicationDisplayName());
        // Modal, so that each step lets the window repaint and the cancel button work.
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(500);
        m_started.start();
    }
    // False when the user cancelled.
    bool step(int done)
    {
        if (!m_dialog)
            return true;
        if (!m_dialog->wasCanceled())
            m_dialog->setValue(done);
        return !m_dialog->wasCanceled();
    }
    // The same for a step of work that more work follows: the last one waits for the end, so
    // that a cancel in between is not lost when the dialog resets at its maximum.
    bool stepBeforeEnd(int done)
    {
        return step(m_dialog ? qMin(done, m_dialog->maximum() - 1) : done);
    }
    // Keeps the window answering while work that cannot tell how far it has got goes on: the
    // bar turns busy under label, and the dialog shows once the work has taken as long as its
    // steps would have shown it after.
    void keepAnswering(const QString &label)
    {
        if (!m_dialog)
            return;
        if (m_dialog->maximum() != 0) {
            m_dialog->setLabelText(label);
            m_dialog->setRange(0, 0);
        }
        if (!m_dialog->isVisible() && m_started.elapsed() >= m_dialog->minimumDuration())
            m_dialog->show();
        if (m_dialog->isVisible())
            QCoreApplication::processEvents();
    }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_started;
};

// Writes the titles and the rows in view of table, when there is one, into a new workbook in
// a folder of its own under the temporary folder, where the desktop's program can open it.
// Empty when the user cancelled.
QString writeWorkbook(QWidget *parent, const QString &title, const QStringList &titles,
                      const DataSet *table)
{
    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("quillet-XXXXXX")));
    if (!folder.isValid())
        throw StoreError(
            QStringLiteral("无法在临时文件夹中建立电子表格：%1").arg(folder.errorString()));
    const QString path = folder.filePath(XlsxWriter::sheetName(title) + QStringLiteral(".xlsx"));
    {
        XlsxWriter writer(path, title);
        writer.addRow(titles);
        const int rowCount = table ? table->rowCount() : 0;
        Progress progress(parent, QStringLiteral("正在导出…"), rowCount);
        bool going = true;
        if (table) {
            int written = 0;
            KindRecords::forEachWorkbookRow(*table, [&](const QStringList &cells) {
                writer.addRow(cells);
                going = ++written % 100 != 0 || progress.stepBeforeEnd(written);
                return going;
            });
        }
        if (!going)
            return QString();
        writer.close([&progress] { progress.keepAnswering(QStringLiteral("正在保存电子表格…")); });
        if (!progress.step(rowCount))
            return QString();
    }
    // The workbook outlives the program: it belongs to the user from now on.
    folder.setAutoRemove(false);
    return path;
}

void showWorkbook(QWidget *parent, const QString &path)
{
    if (!FileDialogs::openWithDesktop(path))
        Messages::information(parent,
                              QStringLiteral("没有找到能打开电子表格的程序，工作簿已保存为：\n%1")
                                  .arg(QDir::toNativeSeparators(path)));
}

// The first worksheet of a workbook the user picks; nothing when the user cancelled or the
// file is no workbook, which the user is told.
std::optional<Worksheet> pickWorkbook(QWidget *parent)
{
    const QString path =
        FileDialogs::getOpenFileName(parent, QStringLiteral("打开Excel文件"), ExcelFilter);
    if (path.isEmpty())
        return std::nullopt;
    try {
        WaitCursor wait;
        Progress progress(parent, QStringLiteral("正在读取电子表格…"), 1000, 0);
        Worksheet sheet =
            Worksheet::readFirst(path, [&](int permille) { progress.stepBeforeEnd(permille); });
        if (!progress.stepBeforeEnd(1000))
            return std::nullopt;
        return sheet;
    } catch (const StoreError &e) {
        Messages::information(parent, e.message());
        return std::nullopt;
    }
}

} // namespace

void ExportGridToExcel(QWidget *parent, DataSet *dataSet, const QString &title)
{
    QString path;
    {
        WaitCursor wait;
        if (!dataSet || !dataSet->isOpen())
            return;
        dataSet->checkBrowseMode();
        path = writeWorkbook(parent, title, KindRecords::workbookTitles(*dataSet), dataSet);
    }
    if (!path.isEmpty())
        showWorkbook(parent, path);
}

void ExportStructureToExcel(QWidget *parent, const QStringList &fieldNames, const QString &title)
{
    QString path;
    {
        WaitCursor wait;
        path = writeWorkbook(parent, title, fieldNames, nullptr);
    }
    showWorkbook(parent, path);
}

bool ReadExcelTitles(QWidget *parent, QStringList *titles)
{
    const auto sheet = pickWorkbook(parent);
    if (!sheet)
        return false;
    int last = -1;
    for (int c = 0; c < sheet->columnCount(0); ++c)
        if (!sheet->text(0, c).trimmed().isEmpty())
            last = c;
    if (last < 0) {
        Messages::information(parent, QStringLiteral("电子表格的第一行没有栏目名称。"));
        return false;
    }
    for (int c = 0; c <= last; ++c) {
        // An empty title between others is named after its column, as data sources name it.
        const QString text = sheet->text(0, c).trimmed();
        *titles << (text.isEmpty() ? QStringLiteral("F%1").arg(c + 1) : text);
    }
    return true;
}

bool ImportExcelRows(QWidget *parent, DataSet *table, const QString &exclusions)
{
    QStringList excluded;
    SplitList(exclusions.toUpper(), &excluded, u';', true);
    const QString path =
        FileDialogs::getOpenFileName(parent, QStringLiteral("打开Excel文件"), ExcelFilter);
    if (path.isEmpty())
        return false;
    std::optional<int> imported;
    try {
        WaitCursor wait;
        Progress progress(parent, QStringLiteral("正在导入…"), 1000, 0);
        imported = SheetImport::importWorkbook(
            *table, path, excluded, [&](int permille) { return progress.stepBeforeEnd(permille); });
    } catch (const SheetImport::Unreadable &e) {
        Messages::information(parent, e.message());
        return false;
    } catch (const StoreError &e) {
        Messages::error(parent, e.message());
        return false;
    }
    if (!imported) {
        Messages::information(parent, QStringLiteral("导入已取消，没有导入任何记录。"));
        return false;
    }
    if (*imported == 0) {
        Messages::information(parent, KindRecords::NoRowsToImport);
        return false;
    }
    return true;
}
