#pragma once
// The tips window: a sample document that shows the form-command markup, for the user to read
// and copy from. What is typed there lasts until the program ends and is never stored.
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The sample document, one entry per line (39 lines).
QStringList TipsLines();

class TipsWindow : public QWidget {
    Q_OBJECT
public:
    explicit TipsWindow(QWidget* parent = nullptr);

    QPlainTextEdit* textEdit;
    QPushButton* closeButton;

    // Shows the window, or brings it back to the front, with the focus in the text.
    void Open();

public slots:
    // "Fechar": closes the window; its text stays as it is for the next showing.
    void closeTips();

private:
    bool placed_ = false;
};
