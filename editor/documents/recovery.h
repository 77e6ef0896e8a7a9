#pragma once
// The recovery copy of the text in the editor. While the text is modified, a copy of it goes
// to a file of this editor's own in the user's state folder, a few seconds after typing pauses
// and at least every 30 seconds; a worker thread writes it, so typing never waits for the
// disk. The copy goes away when the text is saved or dropped on purpose and at a normal exit.
// An editor that is killed, or whose session ends, leaves its copy behind, and the next start
// offers to bring it back.
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class Documents;
struct EditorParts;

namespace recovery {

// The folder of the recovery files: $XDG_STATE_HOME/velloq/recuperacao, or
// ~/.local/state/velloq/recuperacao when XDG_STATE_HOME is unset or not an absolute path.
std::string Folder();

// What a recovery file holds.
struct Copy {
    std::string document;   // the document's full path; empty for an untitled text
    long long writtenAt = 0;  // when the copy was taken, in seconds since the epoch
    QString text;           // lines separated by "\n"
};

// The bytes of a recovery file: a header line, a line of the time and the two lengths, the
// document's path and the text in UTF-8. The file is the text plus at most a few dozen bytes
// and the path.
std::string Serialize(const Copy& copy);

// The copy held in bytes; nullopt unless they are one whole recovery file of this version
// with text in valid UTF-8 (a foreign, truncated or damaged file gives nullopt).
std::optional<Copy> Parse(std::string_view bytes);

}  // namespace recovery

class Recovery : public QObject {
    Q_OBJECT
public:
    // Watches the text of form's editor, and offers the copies left by editors that no longer
    // run right after form's start-up step. documents names the document and loads a copy
    // brought back. folder is where the copies go (recovery::Folder() in the program); it is
    // made when first needed.
    Recovery(EditorParts& parts, Documents& documents, std::string folder = recovery::Folder());
    // A normal exit: removes this editor's copy and its lock.
    ~Recovery() override;

    // The pause after the last change before a copy is written, and the longest wait while
    // changes go on, in milliseconds.
    void setDelays(int pauseMs, int longestMs);

    // Writes the copy of a modified text at once, on this thread, after any write under way;
    // for the end of the session. True when the file holds the text now or there was nothing
    // to write; false when it could not be written (the failure is reported once per run).
    bool WriteNow();

    // Asks about each copy left by an editor that no longer runs, newest first: "Sim" loads
    // its text as modified, under its document's name when that file still exists, and asks
    // about no other copy this run (the editor holds one text; the others wait for the next
    // start); "Não" puts the copy aside, where the last three stay. Files that are not whole
    // copies are passed over without a word. Runs once; later calls do nothing.
    void OfferLeftCopies();

    // This editor's copy, once one was written; empty before.
    std::string file() const;

private:
    // Called on every change of the text, of its modified flag or of its name.
    void textChanged();
    void dropCopy();
    void takeCopy();
    recovery::Copy snapshot() const;
    void reportFailure(const std::string& why);

    struct Writer;
    EditorParts& parts_;
    Documents& documents_;
    std::unique_ptr<Writer> writer_;
    QTimer pause_;
    QTimer longest_;
    unsigned long long nextJob_ = 0;
    bool offered_ = false;
    bool failureShown_ = false;
};
