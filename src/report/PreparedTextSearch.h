#pragma once

#include "PreparedPage.h"

#include <QList>
#include <QString>

// Finding text in prepared pages: the texts of their text objects as evaluated.
namespace PreparedTextSearch {

struct Match {
    int page; // from 0
    int item; // index into the page's items
    bool operator==(const Match &) const = default;
};

// Every text object containing `text`, page by page, in the order the page draws them.
QList<Match> find(const QList<PreparedPage> &pages, const QString &text,
                  Qt::CaseSensitivity sensitivity);

} // namespace PreparedTextSearch
