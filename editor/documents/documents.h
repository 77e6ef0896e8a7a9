#pragma once
// The document in the editor: new, open, save, save as and leave, the modified flag that
// guards them, the window caption that names the document, and the close check. The window
// only holds the controls; this object does the work.
#include <QObject>
#include <string>

#include "editor/documents/documenttext.h"

struct EditorParts;
struct RunState;

// What the document commands ask of the work folder's file list, which implements it: the
// documents know the list only through this.
class ListedFiles {
public:
    // Refills the list and selects the entry called name.
    virtual void RefreshFileList(const std::string& name) = 0;
    // Leaves no line selected.
    virtual void ClearSelection() = 0;

protected:
    ~ListedFiles() = default;
};

class Documents : public QObject {
    Q_OBJECT
public:
    // Connects the document entries of the main window's menus and watches every attempt to
    // close it. The document's name is kept in run's currentFile and pageFile.
    Documents(EditorParts& parts, ListedFiles& list, RunState& run);

    bool isModified() const;
    // The document's file as it was opened or saved; empty for an untitled text.
    const std::string& currentFile() const;
    // When the text is modified, asks whether to drop it ("Texto foi alterado, carrega outro
    // sem salvar?"); true when the caller may go on.
    bool mayDropText();
    // An empty, untitled, clean text: editor, document and page names, and caption.
    void ClearEditor();
    // Makes the file the document in the editor: its text, its name (file as given),
    // caption, no page name, and the format it is saved in again. When the file cannot be
    // read, shows why and leaves an empty untitled text, so that no later save can overwrite
    // the file; a file too large to edit, or one that does not fit in memory, leaves the
    // editor's text, name and flag as they were. True when loaded.
    bool LoadDocument(const std::string& file);
    // Writes the editor's text to file, in the format the document was read in, and clears the
    // modified flag; when that fails, shows why and keeps the flag and the file on disk as they
    // were. True when written.
    bool WriteDocument(const std::string& file);
    // "Velloq" for an untitled text, else "Velloq " + the document's file.
    void SetCaption();
    // Clears the modified flag: the text is the one on disk (loaded, saved) or a new one.
    // Nothing else clears it, not even undoing back to that text.
    void MarkClean();

public slots:
    void newPage();
    void openFile();
    void save();
    void saveAs();
    void quit();
    // The close check: true when the window may close. Asks when the text is modified, unless
    // "&Terminar" has just asked.
    bool mayClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An empty, clean text in the format of a new one.
    void clearText();
    // No document name: no document or page file, and the caption.
    void forgetName();

    EditorParts& parts_;
    ListedFiles& list_;
    RunState& run_;
    bool markingClean_ = false;
    bool quitConfirmed_ = false;  // "&Terminar" asked already, during its closing of the window
    // The format of the text in the editor: that of the file it came from, Windows-1252 with
    // CR LF for a new text.
    doctext::Format format_;
};

// The questions and messages shared by the document and work-folder commands.
inline constexpr const char* kLoadAnother = "Texto foi alterado, carrega outro sem salvar?";
inline constexpr const char* kConfirmCaption = "Confirma\xC3\xA7\xC3\xA3o";
