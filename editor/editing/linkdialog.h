#pragma once
// The link dialog: collects the reference and the text of a link line. The main window builds
// the line and inserts it; the dialog only holds the two parts.
#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class LinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit LinkDialog(QWidget* parent = nullptr);

    QGroupBox* linkKindGroup;
    QRadioButton* thisPageChoice;
    QRadioButton* externalSiteChoice;
    QRadioButton* labelChoice;
    QRadioButton* emailChoice;
    QLineEdit* referenceEdit;
    QLineEdit* linkTextEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;

    // True when the dialog was last closed with "OK"; decided anew on every showing.
    bool Confirmed = false;

    // The reference texts that the four kinds put into the reference field.
    static QString LocalPageReference();
    static QString ExternalSiteReference();
    static QString LabelReference();
    static QString EmailReference();

public slots:
    // Runs on every showing: the page-in-this-site kind is selected and focused, and the
    // reference field starts over; the link text keeps what it held.
    void onActivated();
    void confirm();
    void cancel();
    // Each kind replaces the whole reference field with its text.
    void onThisSiteChosen();
    void onExternalSiteChosen();
    void onLabelChosen();
    void onEmailChosen();

protected:
    void showEvent(QShowEvent* event) override;
};
