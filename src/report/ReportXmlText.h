#pragma once

#include <QString>
#include <optional>

// Texts may hold characters that XML cannot carry (most control characters, U+FFFE,
// U+FFFF, unpaired surrogates). They are written as U+E000 followed by a private-use
// character, and U+E000 itself is doubled, so every text reads back unchanged.
namespace ReportXmlText {
QString escape(const QString &text);
// nullopt for an escape that escape() never writes.
std::optional<QString> unescape(const QString &text);
} // namespace ReportXmlText
