#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// Functions the program offers to templates: declared by a declaration text in the script
// language ("function rmbToBIG(Value: Currency): string"), a category and a description,
// and answered by one handler that gets the name and the arguments.
class UserFunctions {
public:
    struct Function {
        QString name;
        int parameterCount = 0;
        QString declaration;
        QString category;
        QString description;
    };
    using Handler = std::function<QVariant(const QString &name, const QVariantList &args)>;

    // Throws ReportError when the declaration cannot be read. A name declared again
    // replaces the earlier declaration.
    void add(const QString &declaration, const QString &category, const QString &description);
    // Looks a function up without regard to case, as the script language does.
    std::optional<Function> find(const QString &name) const;
    // Declared functions by category, each category in declaration order.
    QMap<QString, QList<Function>> byCategory() const;

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Calls the handler; without one every function answers the empty value.
    QVariant call(const QString &name, const QVariantList &args) const;

private:
    QList<Function> m_functions;
    Handler m_handler;
};
