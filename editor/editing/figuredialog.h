#pragma once
// The figure dialog: collects the file name and the comment of an image line. The main window
// builds the line and inserts it; the dialog only holds the two parts. "Procurar" picks the
// file through a chooser that tests can replace.
#include <QDialog>
#include <QStringList>
#include <optional>

class QLineEdit;
class QPushButton;

// The file chooser behind "Procurar". The program uses a file dialog; tests install one that
// answers from a script.
class FigureChooser {
public:
    virtual ~FigureChooser() = default;
    // The full path of the file the user picked, or nullopt when the chooser was cancelled.
    // folder: where it opens; filters: name filters in the "title (patterns)" form.
    virtual std::optional<QString> ChooseFile(QWidget* parent, const QString& folder,
                                              const QStringList& filters) = 0;
};

// Installs the chooser used from now on (nullptr: the file dialog). The caller keeps
// ownership; returns the previous one.
FigureChooser* InstallFigureChooser(FigureChooser* chooser);

// The chooser's two filter entries: the image types, and all files.
QStringList FigureNameFilters();

// What the file-name field gets for a chosen path, given the work folder it was chosen from
// (as the current directory gives it, "" for the root): a path inside the folder becomes
// relative to it ("sub/foto.png", "foto.png"); any other path stays whole. Names compare
// exactly, as the file system does, so "/a/textos2/x.png" is not inside "/a/textos".
QString FigurePathFor(const QString& chosen, const QString& folder);

class FigureDialog : public QDialog {
    Q_OBJECT
public:
    explicit FigureDialog(QWidget* parent = nullptr);

    QLineEdit* figureNameEdit;
    QPushButton* browseButton;
    QLineEdit* figureCommentEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;

    // True when the dialog was last closed with "OK" while the file-name field held a name;
    // decided anew on every showing.
    bool Confirmed = false;

public slots:
    // Runs on every showing: both fields start empty.
    void onActivated();
    // Closes the dialog; it counts as confirmed only with a file name.
    void confirm();
    void cancel();
    // Lets the user pick the file; a cancelled chooser leaves the field as it was. The current
    // directory is the same afterwards, whatever the chooser did with it.
    void browse();

protected:
    void showEvent(QShowEvent* event) override;
};
