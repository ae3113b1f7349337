#include "UserFunctions.h"

#include "ReportError.h"

#include <QRegularExpression>

namespace {

// "function Name(A: T; B, C: T): R" or "procedure Name" (no parameters, no result type).
std::optional<UserFunctions::Function> parseDeclaration(const QString &declaration)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(function|procedure)\s+([A-Za-z_]\w*)\s*(?:\(([^()]*)\))?\s*)"
                       R"((?::\s*[A-Za-z_]\w*\s*)?;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(declaration);
    if (!match.hasMatch())
        return std::nullopt;
    UserFunctions::Function function;
    function.name = match.captured(2);
    const QString parameters = match.captured(3).trimmed();
    if (parameters.isEmpty())
        return function;
    static const QRegularExpression group(
        QStringLiteral(
            R"(^\s*(?:(?:const|var)\s+)?([A-Za-z_]\w*(?:\s*,\s*[A-Za-z_]\w*)*)\s*:\s*[A-Za-z_]\w*\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString &part : parameters.split(u';')) {
        const QRegularExpressionMatch names = group.match(part);
        if (!names.hasMatch())
            return std::nullopt;
        function.parameterCount += int(names.captured(1).split(u',').size());
    }
    return function;
}

} // namespace

void UserFunctions::add(const QString &declaration, const QString &category,
                        const QString &description)
{
    std::optional<Function> function = parseDeclaration(declaration);
    if (!function)
        throw ReportError(QStringLiteral("无法识别的函数声明：%1").arg(declaration));
    function->declaration = declaration;
    function->category = category;
    function->description = description;
    for (Function &existing : m_functions) {
        if (existing.name.compare(function->name, Qt::CaseInsensitive) == 0) {
            existing = *function;
            return;
        }
    }
    m_functions.append(*function);
}

std::optional<UserFunctions::Function> UserFunctions::find(const QString &name) const
{
    for (const Function &function : m_functions)
        if (function.name.compare(name, Qt::CaseInsensitive) == 0)
            return function;
    return std::nullopt;
}

QMap<QString, QList<UserFunctions::Function>> UserFunctions::byCategory() const
{
    QMap<QString, QList<Function>> categories;
    for (const Function &function : m_functions)
        categories[function.category].append(function);
    return categories;
}

QVariant UserFunctions::call(const QString &name, const QVariantList &args) const
{
    return m_handler ? m_handler(name, args) : QVariant();
}
