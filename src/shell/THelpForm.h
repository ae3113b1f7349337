#pragma once

#include <QDialog>

class QTextBrowser;

// The program's own user guide, built into the program so that it reads without a network
// or a browser. One window, beside the main window, not modal.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    static const char *const StartPage;

    explicit THelpForm(QWidget *parent = nullptr);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser = nullptr;
};

// Shows the guide's window, brought to the front when it is already open.
void ShowHelp(QWidget *mainWindow);
