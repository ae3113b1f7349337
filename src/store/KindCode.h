#pragma once

#include <QString>

// Form-kind codes follow the level pattern "12": one character for a category, three for a
// form kind (the category's code and two more). Tree nodes read "(" + code + ")" + name.
namespace KindCode {

inline constexpr const char *LevelPattern = "12";

// 1 for a one-character code, 2 for three characters, -1 for any other trimmed length.
int KindCodeLevel(const QString &code);
// How many leading characters of the code are the parent's code: 0, 1, or 0 when invalid.
int ParentCodeLength(const QString &code);
// "* ** ": what the kind dialog shows as the code format.
QString CodeFormatMask();
// The text between the first "(" and the first ")"; empty when either is missing.
QString NodeKindCode(const QString &nodeText);
// The text after the first ")" of a node text; empty when either bracket is missing.
QString NodeKindName(const QString &nodeText);
QString NodeText(const QString &code, const QString &name);

} // namespace KindCode
