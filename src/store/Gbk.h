#pragma once

#include <QByteArray>
#include <QString>

// Text the program writes as bytes of its own (settings files) uses the Chinese code page.
// GB18030 is used on the wire: for every character GBK has it gives GBK's bytes, and it
// can still carry any other character instead of losing it.
namespace Gbk {
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
} // namespace Gbk
