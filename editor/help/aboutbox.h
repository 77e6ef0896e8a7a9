#pragma once
// The about box: the program's icon, name, purpose and version.
#include <QDialog>
#include <QPixmap>

class QFrame;
class QLabel;
class QPushButton;

// The program's icon, drawn at size x size pixels.
QPixmap ProgramIconPixmap(int size);

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QFrame* toolBarPanel;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Comments;
    QLabel* versionLabel;
    QPushButton* OKButton;

    // The version the box shows.
    static QString Version();

public slots:
    // Runs on every showing: writes the version text.
    void onActivated();

protected:
    void showEvent(QShowEvent* event) override;
};
