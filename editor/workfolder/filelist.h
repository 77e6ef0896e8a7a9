#pragma once
// The file list beside the editor: the entries of the current directory that match the list's
// pattern. It tells apart the selections that the user makes, which load an entry, from the
// ones that the program makes, which load nothing; and it takes the keyboard between the
// editor and the list (Tab in the editor goes to the list, Enter or Esc in the list goes back).
#include <QObject>
#include <string>

#include "editor/documents/documents.h"

struct EditorParts;
struct RunState;

class FileList : public QObject, public ListedFiles {
    Q_OBJECT
public:
    // Lists the entries that match run's listFilter.
    FileList(EditorParts& parts, const RunState& run);

    // Refills fileListBox with the entries of the current directory that match
    // the list filter, sorted by name as people sort (case and accents aside, numbers by
    // value), and selects the entry called name, which becomes the current line. A name that is
    // no existing folder is cut to the part after its last "/" first; an empty name or a folder
    // selects nothing and makes the first line current.
    void RefreshFileList(const std::string& name) override;
    // Leaves no line selected; the first line becomes the current one.
    void ClearSelection() override;
    // A key released in the list: Enter opens the current line unless it is open already; Enter
    // or Esc returns to the editor.
    void listKeyReleased(int key);

signals:
    // The user selected the entry called name, by mouse or keyboard. Sent once the event
    // that made the selection is over, so that handlers may ask questions and refill the list.
    void picked(const std::string& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectionChanged();
    void announceCurrentLine();
    void selectByProgram(int row);

    EditorParts& parts_;
    const RunState& run_;
    bool programChange_ = false;
    bool tabPressedInEditor_ = false;
};
