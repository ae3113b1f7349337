#pragma once

#include "ReportTemplate.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QUndoStack>
#include <functional>
#include <optional>

// The designer's editable document over a template. Views read the template through
// definition() and object(); they change it only through the edit functions below, each
// of which pushes one QUndoCommand on undoStack() (and does nothing when it would change
// nothing). Every change, done, undone or redone, is announced by a signal, and undo and
// redo select the objects they touched, so views never poke the model directly.
//
// Objects are addressed by ObjectId: stable for the document's life, kept through undo,
// redo, z-order changes and band moves, never reused; ids are not stored in the file.
// Pages and bands are addressed by their index in the template.
//
// Move and resize edits (moveObjects, setObjectRects, the alignments) leave locked
// objects where they are; property edits apply to them.
//
// A designer window typically: load()s the report's bytes; builds its scene from
// definition() and objectIds() and rebuilds on reset(); updates single items on
// objectsAdded/Removed/Changed, bandsChanged, pagesChanged and pageChanged; mirrors
// selectionChanged and reports the user's picks through setSelection(); offers
// undoStack()->createUndoAction()/createRedoAction(); and hands save() to the save hook,
// calling undoStack()->setClean() when the hook answers true. Calibration (Calibration.h)
// computes a background rectangle for setBackgroundRect() and a printer correction for
// editPage() with Calibration::applyCorrection; Calibration::calibrationSheet() gives the
// template to print for the measuring.
class TemplateDocument : public QObject {
    Q_OBJECT
public:
    using ObjectId = quint64;
    using ObjectEdit = std::function<void(ReportObject &)>;
    using BandEdit = std::function<void(ReportBand &)>;
    using PageEdit = std::function<void(ReportPage &)>;

    struct Place {
        int page;
        int band;
        int index; // in the band's object list: its z-order, first drawn first
    };

    enum class Alignment { Left, Right, Top, Bottom, HorizontalCentres, VerticalCentres };
    enum class Direction { Horizontal, Vertical };
    enum class BackgroundSize {
        FromResolution, // the picture's own dots per inch, at the paper's top-left edge
        FitToPaper,     // stretched over the whole paper
        Given           // the size passed in mm, at the paper's top-left edge
    };

    // The MIME type of copied objects on the clipboard; the payload is template bytes.
    static inline const QString mimeType = QStringLiteral("application/x-quillet-report-objects");

    explicit TemplateDocument(QObject *parent = nullptr);

    // Replaces the whole content, gives every object a new id, clears the undo history and
    // the selection. load() throws ReportError for bytes the engine cannot read and then
    // leaves the document as it was.
    void load(const QByteArray &bytes);
    void setDefinition(const ReportTemplate &definition);
    // The engine's stored form; load(save()) gives back the same template exactly.
    QByteArray save() const;

    const ReportTemplate &definition() const { return m_template; }
    QUndoStack *undoStack() { return &m_undo; }

    QList<ObjectId> objectIds(int page, int band) const;
    std::optional<Place> place(ObjectId id) const;
    // The object of an id that place() finds.
    const ReportObject &object(ObjectId id) const;

    QList<ObjectId> selection() const { return m_selection; }
    void setSelection(const QList<ObjectId> &ids);

    // Objects. Every list of ids may name objects of different bands and pages.
    QList<ObjectId> addObjects(int page, int band, const QList<ReportObject> &objects);
    void removeObjects(const QList<ObjectId> &ids);
    void moveObjects(const QList<ObjectId> &ids, QPointF deltaMm);
    void setObjectRects(const QList<ObjectId> &ids, const QList<QRectF> &rects);
    // Any property: `edit` is applied to each object; `text` names the step in the undo list.
    void editObjects(const QList<ObjectId> &ids, const QString &text, const ObjectEdit &edit);
    void setLocked(const QList<ObjectId> &ids, bool locked);
    // Moves objects to another band (keeping their geometry relative to the band).
    void moveObjectsToBand(const QList<ObjectId> &ids, int page, int band);

    // Z-order within each object's band.
    void bringToFront(const QList<ObjectId> &ids);
    void sendToBack(const QList<ObjectId> &ids);

    // The first id is the reference the others line up with or take the size of.
    void align(const QList<ObjectId> &ids, Alignment alignment);
    void makeSameWidth(const QList<ObjectId> &ids);
    void makeSameHeight(const QList<ObjectId> &ids);
    // The outermost two stay; the gaps between neighbours become equal.
    void distribute(const QList<ObjectId> &ids, Direction direction);

    // Clipboard: the objects as template bytes, and a paste of such bytes (from this
    // designer or another kind's) into a band, shifted by `offsetMm`. A paste of bytes
    // that are no template throws ReportError and changes nothing.
    QByteArray copy(const QList<ObjectId> &ids) const;
    QList<ObjectId> paste(int page, int band, const QByteArray &payload, QPointF offsetMm = {});

    // Bands: `edit` may change anything but the band's objects.
    void addBand(int page, const ReportBand &band);
    void removeBand(int page, int band);
    void editBand(int page, int band, const QString &text, const BandEdit &edit);

    // Pages: `edit` may change anything but the page's bands.
    void addPage(const ReportPage &page);
    void removePage(int page);
    void editPage(int page, const QString &text, const PageEdit &edit);
    // The picture's bytes are kept as they are; throws ReportError for bytes that are no
    // picture. sizeMm is used with BackgroundSize::Given only.
    void setBackground(int page, const QByteArray &picture, BackgroundSize size,
                       QSizeF sizeMm = {});
    void removeBackground(int page);
    // The background's placement, as the two-point calibration computes it.
    void setBackgroundRect(int page, const QRectF &rectMm);

    // The printer the template prints on; empty for the system's default printer.
    void setPrinterName(const QString &name);

Q_SIGNALS:
    // Everything may have changed (load, setDefinition).
    void reset();
    void objectsAdded(const QList<TemplateDocument::ObjectId> &ids);
    void objectsRemoved(const QList<TemplateDocument::ObjectId> &ids);
    // Properties, geometry, band or z-order of these objects changed.
    void objectsChanged(const QList<TemplateDocument::ObjectId> &ids);
    // The band list or a band's settings of this page changed.
    void bandsChanged(int page);
    // The page list changed.
    void pagesChanged();
    // A page's settings (paper, margins, background, printer correction) changed.
    void pageChanged(int page);
    void printerChanged();
    void selectionChanged(const QList<TemplateDocument::ObjectId> &ids);

public:
    // The raw changes the undo commands make: no undo step of their own, signals only.
    // For DocumentCommands; views use the edit functions above.
    struct Entry {
        ObjectId id;
        Place place;
        ReportObject object;
    };
    void insertEntries(QList<Entry> entries);
    void takeEntries(const QList<ObjectId> &ids);
    void replaceObjects(const QList<Entry> &entries);
    void setOrder(int page, int band, const QList<ObjectId> &order);
    void insertBand(int page, int index, const ReportBand &band, const QList<ObjectId> &ids);
    void takeBand(int page, int index);
    void replaceBandSettings(int page, int index, const ReportBand &settings);
    void insertPage(int index, const ReportPage &page, const QList<QList<ObjectId>> &ids);
    void takePage(int index);
    void replacePageSettings(int index, const ReportPage &settings);
    void replacePrinterName(const QString &name);
    QList<Entry> entries(const QList<ObjectId> &ids) const;
    const QList<QList<ObjectId>> &bandIds(int page) const { return m_ids[page]; }

private:
    ObjectId newId() { return ++m_lastId; }
    void assignIds();
    void push(class QUndoCommand *command);
    QList<ObjectId> addObjectsAs(const QString &text, int page, int band,
                                 const QList<ReportObject> &objects);
    void changeRects(const QList<ObjectId> &ids, const QString &text,
                     const std::function<QRectF(ObjectId, const QRectF &)> &rectOf);
    QList<ObjectId> unlocked(const QList<ObjectId> &ids) const;
    void reorder(const QList<ObjectId> &ids, const QString &text, bool toFront);

    ReportTemplate m_template;
    QList<QList<QList<ObjectId>>> m_ids; // [page][band][index], beside the template's objects
    QList<ObjectId> m_selection;
    ObjectId m_lastId = 0;
    QUndoStack m_undo;
};
