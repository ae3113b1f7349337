#include "PreparedTextSearch.h"

QList<PreparedTextSearch::Match> PreparedTextSearch::find(const QList<PreparedPage> &pages,
                                                          const QString &text,
                                                          Qt::CaseSensitivity sensitivity)
{
    QList<Match> matches;
    if (text.isEmpty())
        return matches;
    for (int p = 0; p < pages.size(); ++p) {
        const QList<PreparedItem> &items = pages[p].items;
        for (int i = 0; i < items.size(); ++i)
            if (items[i].object.kind == ReportObject::Kind::Text &&
                items[i].text.contains(text, sensitivity))
                matches.append({p, i});
    }
    return matches;
}
