#pragma once

#include <QApplication>

// The program's application object. It speaks Chinese in Qt's own buttons and dialogs, and
// it is the last guard of every event handler: an error that escapes one is shown to the
// user in a box and the program goes on, instead of ending the process.
class QuilletApplication : public QApplication {
    Q_OBJECT
public:
    QuilletApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
