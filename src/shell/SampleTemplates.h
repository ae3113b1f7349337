#pragma once

#include <QString>
#include <QStringList>

// The sample templates that come with the program: a few generic forms to start a design
// from when the maker's page is out of reach.
namespace SampleTemplates {
// The samples as shipped, read-only.
QStringList list();
// Copies the samples missing from folder into it and returns their paths there.
QStringList install(const QString &folder);
// A page in Chinese saying the download page could not be reached, listing the samples.
QString offlinePage(const QString &address, const QStringList &samplePaths);
} // namespace SampleTemplates
