#pragma once
// The folder chooser: the user browses to a folder, or types a path, to choose or create the
// work folder, and may create a subfolder on the way.
#include <QDialog>
#include <QListWidget>
#include <string>

class QLineEdit;
class QPushButton;

// A folder browser: the folders along the path of the folder shown, then its subfolders.
// Enter or a double click on a line shows that folder.
class FolderListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FolderListBox(QWidget* parent = nullptr);

    QString directory() const { return directory_; }
    // Shows path, or its nearest existing parent when path is no folder; emits changed when
    // the folder shown changes.
    void setDirectory(const QString& path);
    // Reads the folder's subfolders again.
    void refresh();

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void enter(QListWidgetItem* item);

    QString directory_;
};

class FolderChooser : public QDialog {
    Q_OBJECT
public:
    explicit FolderChooser(QWidget* parent = nullptr);

    QLineEdit* folderNameEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;
    FolderListBox* folderListBox;
    QPushButton* createFolderButton;

    // The chooser result: the folder to start from while the dialog runs, the path chosen
    // afterwards ("&OK": as typed; "Cancela": empty; closed by its frame: unchanged).
    std::string result;

public slots:
    // Shows the result's folder in the browser and the result itself in folderNameEdit.
    void onActivated();
    // folderNameEdit follows the folder shown.
    void onFolderChanged();
    // "Cria subpasta": asks for a name and creates that subfolder of the folder shown.
    void createFolder();
    void confirm();
    void cancel();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Runs the chooser from initial; gives the path chosen, or empty when the user cancelled.
std::string ChooseFolder(FolderChooser& form_dir, const std::string& initial);
