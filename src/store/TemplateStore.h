#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// The template of one form kind as its noteKind row holds it (the record window's
// qryNoteTPL). The row is read afresh by lookup(), so a template saved meanwhile, or brought
// back by a restore, is always the one used. Errors are thrown as StoreError.
class TemplateStore {
public:
    TemplateStore(const QSqlDatabase &db, const QString &kindCode);

    // Reads the row of the kind code; a code no row has leaves no row (and no template).
    void lookup();
    bool hasRow() const { return m_rowId.has_value(); }
    bool hasTemplate() const { return !m_template.isNull(); }
    // Empty when there is no template.
    const QByteArray &templateBytes() const { return m_template; }

    struct Saved {
        QString kindCode;
        int modqty = 0;
    };
    // Stores the bytes as the row's template and raises its save count by one (a null count
    // being 0), then reads the row back: the code and count as they now stand.
    Saved save(const QByteArray &bytes);

private:
    QSqlDatabase m_db;
    QString m_kindCode;
    std::optional<qint64> m_rowId;
    QByteArray m_template;
};
