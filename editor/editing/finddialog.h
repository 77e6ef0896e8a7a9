#pragma once
// The find and replace dialogs: small modeless windows beside the main window that take the
// text to find (and its replacement) and ask for the next occurrence. The search itself is
// FindForward; the main window runs it on the editor when a dialog asks.
#include <QDialog>
#include <QString>
#include <QStringView>

class QLabel;
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

// The find dialog ("Localizar") and the find-and-replace dialog ("Substituir"): one window with
// the field to find, for replacing a second field and two more buttons, and a status line
// that tells what the last search found, so that a screen reader can say it while the
// keyboard stays in the dialog.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };
    explicit FindDialog(QWidget* parent = nullptr, Kind kind = Kind::Find);
    // The focus moves as the dialog goes: a status said once no longer waits for it.
    ~FindDialog() override;

    QLineEdit* findWhatEdit;
    QLineEdit* replaceWithEdit = nullptr;  // the replacement: the replace dialog only
    QPushButton* findNextButton;
    QPushButton* replaceButton = nullptr;
    QPushButton* replaceAllButton = nullptr;
    QPushButton* closeButton;
    QLabel* statusLine;

    // The text to find, as typed.
    QString FindText() const;
    // The replacement, as typed; empty in the find dialog.
    QString ReplaceText() const;

    // Shows the dialog, or brings it back to the front, with the text to find selected.
    void Open();
    // How long the controls that search carry the status as their description: until the next
    // status (Keep), or only while the keyboard stays on the control that has it (Once), so
    // that moving on does not say it again.
    enum class Repeat { Keep, Once };
    // Writes the status line, which names itself to screen readers by its text; announce:
    // a screen reader says it at once; without, a line still hidden stays hidden (a box says it).
    void SetStatus(const QString& text, bool announce = true, Repeat repeat = Repeat::Keep);

signals:
    // The user asked for the next occurrence of the text (the button, Enter or F3).
    void Find();
    // The user asked to replace the occurrence selected in the editor, or all of them.
    void Replace();
    void ReplaceAll();

protected:
    bool event(QEvent* event) override;

private:
    // Puts the keyboard in the field with its text selected, so that typing replaces it.
    void focusField();
    bool placed_ = false;
    bool focusOnActivate_ = false;  // the window system activates the dialog after Open
    QMetaObject::Connection describedOnce_;  // clears a status said once
};

// The status line after a search that found a match starting on line (0-based) whose text is
// lineText: "Encontrado na linha N: " and the line, a very long line cut with an ellipsis.
QString FoundStatus(int line, const QString& lineText);

// The status line after "Substituir todas" replaced count occurrences.
QString ReplacedStatus(int count);

// text with every occurrence of what replaced by with, left to right, occurrences not
// overlapping, letters compared as FindForward does; count receives the number replaced.
// An empty what replaces nothing.
QString ReplaceEvery(const QString& text, const QString& what, const QString& with, int& count);
