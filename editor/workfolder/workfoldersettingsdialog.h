#pragma once
// The document-information dialog: shows the work folder and lets the user set the template,
// author and contact that pages carry by default, stored in the work folder's settings file.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
struct EditorParts;
struct RunState;

class WorkFolderSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows and changes the work folder, template, author and contact of run.
    explicit WorkFolderSettingsDialog(RunState& run, QWidget* parent = nullptr);

    QLineEdit* folderEdit;
    QLineEdit* templateEdit;
    QLineEdit* authorEdit;
    QLineEdit* contactEdit;
    QCheckBox* makeDefaultCheck;
    QPushButton* Ok;
    QPushButton* Cancelar;

public slots:
    // Fills the fields from the run state; runs every time the dialog is shown.
    void onActivated();
    // Stores the fields as typed into the run state, writes the settings and closes.
    void confirm();
    // Closes the dialog; nothing changes.
    void cancel();

protected:
    void showEvent(QShowEvent* event) override;

private:
    RunState& run_;
};

// "Este texto": shows the dialog the main window was handed (EditorParts::settingsDialog),
// nothing while it has none.
void ConnectWorkFolderSettings(EditorParts& parts);
