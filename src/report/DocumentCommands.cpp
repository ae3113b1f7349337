#include "DocumentCommands.h"

namespace DocumentCommands {

namespace {

QList<ObjectId> idsOf(const QList<Entry> &entries)
{
    QList<ObjectId> ids;
    for (const Entry &e : entries)
        ids.append(e.id);
    return ids;
}

} // namespace

DocumentCommand::DocumentCommand(TemplateDocument *document, const QString &text,
                                 QUndoCommand *parent)
    : QUndoCommand(text, parent), m_document(document), m_child(parent != nullptr)
{
}

void DocumentCommand::redo()
{
    apply();
    if (!m_child)
        m_document->setSelection(m_selectAfterRedo);
}

void DocumentCommand::undo()
{
    revert();
    if (!m_child)
        m_document->setSelection(m_selectAfterUndo);
}

CompositeCommand::CompositeCommand(TemplateDocument *document, const QString &text,
                                   const QList<ObjectId> &selection)
    : DocumentCommand(document, text)
{
    m_selectAfterRedo = selection;
    m_selectAfterUndo = selection;
}

void CompositeCommand::apply()
{
    QUndoCommand::redo();
}

void CompositeCommand::revert()
{
    QUndoCommand::undo();
}

ObjectsPresence::ObjectsPresence(TemplateDocument *document, const QString &text,
                                 QList<Entry> entries, bool adding, QUndoCommand *parent)
    : DocumentCommand(document, text, parent), m_entries(std::move(entries)), m_adding(adding)
{
    (adding ? m_selectAfterRedo : m_selectAfterUndo) = idsOf(m_entries);
}

void ObjectsPresence::add()
{
    m_document->insertEntries(m_entries);
}

void ObjectsPresence::remove()
{
    m_document->takeEntries(idsOf(m_entries));
}

void ObjectsPresence::apply()
{
    m_adding ? add() : remove();
}

void ObjectsPresence::revert()
{
    m_adding ? remove() : add();
}

ObjectsChange::ObjectsChange(TemplateDocument *document, const QString &text, QList<Entry> before,
                             QList<Entry> after)
    : DocumentCommand(document, text), m_before(std::move(before)), m_after(std::move(after))
{
    m_selectAfterRedo = m_selectAfterUndo = idsOf(m_after);
}

void ObjectsChange::apply()
{
    m_document->replaceObjects(m_after);
}

void ObjectsChange::revert()
{
    m_document->replaceObjects(m_before);
}

BandOrder::BandOrder(TemplateDocument *document, int page, int band, QList<ObjectId> before,
                     QList<ObjectId> after, QUndoCommand *parent)
    : DocumentCommand(document, QString(), parent), m_page(page), m_band(band),
      m_before(std::move(before)), m_after(std::move(after))
{
}

void BandOrder::apply()
{
    m_document->setOrder(m_page, m_band, m_after);
}

void BandOrder::revert()
{
    m_document->setOrder(m_page, m_band, m_before);
}

BandPresence::BandPresence(TemplateDocument *document, const QString &text, int page, int index,
                           ReportBand band, QList<ObjectId> ids, bool adding)
    : DocumentCommand(document, text), m_page(page), m_index(index), m_band(std::move(band)),
      m_ids(std::move(ids)), m_adding(adding)
{
}

void BandPresence::apply()
{
    if (m_adding)
        m_document->insertBand(m_page, m_index, m_band, m_ids);
    else
        m_document->takeBand(m_page, m_index);
}

void BandPresence::revert()
{
    if (m_adding)
        m_document->takeBand(m_page, m_index);
    else
        m_document->insertBand(m_page, m_index, m_band, m_ids);
}

BandSettings::BandSettings(TemplateDocument *document, const QString &text, int page, int index,
                           ReportBand before, ReportBand after)
    : DocumentCommand(document, text), m_page(page), m_index(index), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void BandSettings::apply()
{
    m_document->replaceBandSettings(m_page, m_index, m_after);
}

void BandSettings::revert()
{
    m_document->replaceBandSettings(m_page, m_index, m_before);
}

PagePresence::PagePresence(TemplateDocument *document, const QString &text, int index,
                           ReportPage page, QList<QList<ObjectId>> ids, bool adding)
    : DocumentCommand(document, text), m_index(index), m_page(std::move(page)),
      m_ids(std::move(ids)), m_adding(adding)
{
}

void PagePresence::apply()
{
    if (m_adding)
        m_document->insertPage(m_index, m_page, m_ids);
    else
        m_document->takePage(m_index);
}

void PagePresence::revert()
{
    if (m_adding)
        m_document->takePage(m_index);
    else
        m_document->insertPage(m_index, m_page, m_ids);
}

PageSettings::PageSettings(TemplateDocument *document, const QString &text, int index,
                           ReportPage before, ReportPage after)
    : DocumentCommand(document, text), m_index(index), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void PageSettings::apply()
{
    m_document->replacePageSettings(m_index, m_after);
}

void PageSettings::revert()
{
    m_document->replacePageSettings(m_index, m_before);
}

PrinterChoice::PrinterChoice(TemplateDocument *document, QString before, QString after)
    : DocumentCommand(document, QStringLiteral("选择打印机")), m_before(std::move(before)),
      m_after(std::move(after))
{
    // Choosing a printer leaves the objects picked as they are.
    m_selectAfterRedo = m_selectAfterUndo = document->selection();
}

void PrinterChoice::apply()
{
    m_document->replacePrinterName(m_after);
}

void PrinterChoice::revert()
{
    m_document->replacePrinterName(m_before);
}

} // namespace DocumentCommands
