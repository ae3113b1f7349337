#pragma once

#include "shell/TMainForm.h"

#include <QTreeWidget>
#include <QtTest>

// The texts of the main window's tree, top to bottom.
inline QStringList treeTexts(const TMainForm &form)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(form.tree()); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

// Makes the node of that text the current one of the main window's tree.
inline void select(TMainForm &form, const QString &text)
{
    const auto found = form.tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    form.tree()->setCurrentItem(found.first());
}
