#pragma once

#include "TemplateDocument.h"

#include <QUndoCommand>

// The undo steps of TemplateDocument. Each keeps only the pieces it changes (the objects,
// one band's settings, one page's settings), never a copy of the whole template, and
// selects what it touched after redo and after undo. Several steps that make one edit
// are children of one CompositeCommand.
namespace DocumentCommands {

using ObjectId = TemplateDocument::ObjectId;
using Entry = TemplateDocument::Entry;

class DocumentCommand : public QUndoCommand {
public:
    DocumentCommand(TemplateDocument *document, const QString &text,
                    QUndoCommand *parent = nullptr);
    void redo() final;
    void undo() final;

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;
    TemplateDocument *m_document;
    QList<ObjectId> m_selectAfterRedo;
    QList<ObjectId> m_selectAfterUndo;

private:
    bool m_child; // children select nothing themselves: the top command does
};

// Children run in order on redo and backwards on undo.
class CompositeCommand : public DocumentCommand {
public:
    CompositeCommand(TemplateDocument *document, const QString &text,
                     const QList<ObjectId> &selection);

protected:
    void apply() override;
    void revert() override;
};

// Adds objects (adding = true) or removes them; entries carry ids, places and objects.
class ObjectsPresence : public DocumentCommand {
public:
    ObjectsPresence(TemplateDocument *document, const QString &text, QList<Entry> entries,
                    bool adding, QUndoCommand *parent = nullptr);

protected:
    void apply() override;
    void revert() override;

private:
    void add();
    void remove();
    QList<Entry> m_entries;
    bool m_adding;
};

// Replaces objects in place: properties and geometry.
class ObjectsChange : public DocumentCommand {
public:
    ObjectsChange(TemplateDocument *document, const QString &text, QList<Entry> before,
                  QList<Entry> after);

protected:
    void apply() override;
    void revert() override;

private:
    QList<Entry> m_before, m_after;
};

// A new z-order of one band's objects.
class BandOrder : public DocumentCommand {
public:
    BandOrder(TemplateDocument *document, int page, int band, QList<ObjectId> before,
              QList<ObjectId> after, QUndoCommand *parent);

protected:
    void apply() override;
    void revert() override;

private:
    int m_page, m_band;
    QList<ObjectId> m_before, m_after;
};

class BandPresence : public DocumentCommand {
public:
    BandPresence(TemplateDocument *document, const QString &text, int page, int index,
                 ReportBand band, QList<ObjectId> ids, bool adding);

protected:
    void apply() override;
    void revert() override;

private:
    int m_page, m_index;
    ReportBand m_band;
    QList<ObjectId> m_ids;
    bool m_adding;
};

// A band's settings; the objects are left alone.
class BandSettings : public DocumentCommand {
public:
    BandSettings(TemplateDocument *document, const QString &text, int page, int index,
                 ReportBand before, ReportBand after);

protected:
    void apply() override;
    void revert() override;

private:
    int m_page, m_index;
    ReportBand m_before, m_after;
};

class PagePresence : public DocumentCommand {
public:
    PagePresence(TemplateDocument *document, const QString &text, int index, ReportPage page,
                 QList<QList<ObjectId>> ids, bool adding);

protected:
    void apply() override;
    void revert() override;

private:
    int m_index;
    ReportPage m_page;
    QList<QList<ObjectId>> m_ids;
    bool m_adding;
};

// A page's settings; the bands are left alone.
class PageSettings : public DocumentCommand {
public:
    PageSettings(TemplateDocument *document, const QString &text, int index, ReportPage before,
                 ReportPage after);

protected:
    void apply() override;
    void revert() override;

private:
    int m_index;
    ReportPage m_before, m_after;
};

// The printer the template names.
class PrinterChoice : public DocumentCommand {
public:
    PrinterChoice(TemplateDocument *document, QString before, QString after);

protected:
    void apply() override;
    void revert() override;

private:
    QString m_before, m_after;
};

} // namespace DocumentCommands
