#pragma once
// The find dialog: a small modeless window beside the main window that takes the text to find
// and asks for the next occurrence. The search itself is FindForward; the main window runs it
// on the editor when the dialog asks.
#include <QDialog>
#include <QString>
#include <QStringView>

class QLineEdit;
class QPushButton;

// How far a search looks past its start, in characters of the saved text (a line end counts
// as its two characters CR LF). A match must lie wholly inside this stretch.
inline constexpr int kFindStretch = 65000;

// The offset of the first occurrence of what in text at or after start, letters compared
// without regard to case (accented letters included), within the stretch that begins at start;
// -1 when there is none, when what is empty or when start lies outside the text. Offsets are
// those of text, where "\n" stands for a line end.
int FindForward(QStringView text, int start, QStringView what, int stretch = kFindStretch);

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);

    QLineEdit* e_localizar;
    QPushButton* b_proxima;
    QPushButton* b_fechar;

    // The text to find, as typed.
    QString FindText() const;

    // Shows the dialog, or brings it back to the front, with the text to find selected.
    void Open();

signals:
    // The user asked for the next occurrence of the text.
    void Find();

protected:
    bool event(QEvent* event) override;

private:
    // Puts the keyboard in the field with its text selected, so that typing replaces it.
    void focusField();
    bool placed_ = false;
    bool focusOnActivate_ = false;  // the window system activates the dialog after Open
};
