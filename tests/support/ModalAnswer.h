#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

// Runs `answer` on the modal dialog of type Dialog that the next call opens; the test fails
// when no such dialog shows.
template <typename Dialog> void whenModal(std::function<void(Dialog *)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(dialog);
    });
}
