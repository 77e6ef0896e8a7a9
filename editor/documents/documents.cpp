#include "editor/documents/documents.h"

#include <unistd.h>

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <filesystem>
#include <new>
#include <system_error>

#include "editor/seams/dialogrunner.h"
#include "editor/text/saydone.h"
#include "editor/documents/documenttext.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "editor/window/quietfocus.h"
#include "platform/fileerror.h"
#include "platform/messages.h"

namespace {

// The file that the user confirmed in a file dialog, or empty. Like the dialogs of other
// programs, a confirmed dialog leaves the current directory at the chosen file's folder.
std::string runFileDialog(QFileDialog& dialog) {
    if (dialogs::Run(dialog) != QDialog::Accepted) return {};
    const QString chosen = dialog.selectedFiles().value(0);
    if (chosen.isEmpty()) return {};
    const std::string file = chosen.toStdString();
    const size_t slash = file.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = slash == 0 ? "/" : file.substr(0, slash);
        if (::chdir(folder.c_str()) != 0) {
            // The file names its folder in full; the list shows wherever we are.
        }
    }
    return file;
}

// action: "abrir" or "gravar".
std::string outOfMemory(const std::string& action, const std::string& file) {
    return "N\xC3\xA3o h\xC3\xA1 mem\xC3\xB3ria para " + action + " o arquivo " + file + ".";
}

// What a save says: the file's own name, without its folders.
QString savedNotice(const std::string& file) {
    return QStringLiteral("Salvo: ") + QString::fromStdString(std::filesystem::path(file).filename().string());
}

// A command whose dialog has just closed says what it did: the text, if it had the keyboard
// before the dialog opened, takes it back without the screen reader reading its raw line first.
void handTextBackQuietly(const EditorParts& parts) {
    if (parts.window->focusWidget() == parts.textEdit) TakeFocusQuietly(parts.textEdit);
}

}  // namespace

Documents::Documents(EditorParts& parts, ListedFiles& list, RunState& run)
    : QObject(parts.window), parts_(parts), list_(list), run_(run) {
    OnAction(parts_, "newPage", this, &Documents::newPage);
    OnAction(parts_, "openFile", this, &Documents::openFile);
    OnAction(parts_, "save", this, &Documents::save);
    OnAction(parts_, "saveAs", this, &Documents::saveAs);
    OnAction(parts_, "quit", this, &Documents::quit);
    parts_.window->installEventFilter(this);
    // Undoing is a change like any other: the text may no longer be the one on disk (the
    // file may have changed since), so reaching the saved state again does not clear the flag.
    QTextDocument* document = parts_.textEdit->document();
    connect(document, &QTextDocument::modificationChanged, this, [this, document](bool modified) {
        if (!modified && !markingClean_) document->setModified(true);
    });
}

void Documents::MarkClean() {
    markingClean_ = true;
    parts_.textEdit->document()->setModified(false);
    markingClean_ = false;
}

bool Documents::isModified() const { return parts_.textEdit->document()->isModified(); }

const std::string& Documents::currentFile() const { return run_.currentFile; }

bool Documents::mayDropText() { return !isModified() || messages::AskDiscard(kConfirmCaption, kLoadAnother); }

void Documents::SetCaption() {
    // The window system takes "[*]" in a title as the place of a modified mark; doubled, it
    // shows as it is, so a file name holding it is shown whole.
    QString name = QString::fromStdString(run_.currentFile);
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    parts_.window->setWindowTitle(run_.currentFile.empty() ? QStringLiteral("Velloq") : QStringLiteral("Velloq ") + name);
}

void Documents::ClearEditor() {
    clearText();
    forgetName();
}

void Documents::clearText() {
    parts_.textEdit->clear();
    format_ = {};
    MarkClean();
}

void Documents::forgetName() {
    run_.currentFile.clear();
    run_.pageFile.clear();
    SetCaption();
}

bool Documents::LoadDocument(const std::string& file) {
    std::string bytes;
    try {
        bytes = doctext::ReadFile(file);
    } catch (const doctext::TooLargeError& error) {
        messages::ShowWarning(error.what());
        return false;
    } catch (const std::bad_alloc&) {
        messages::ShowWarning(outOfMemory("abrir", file));
        return false;
    } catch (const safefile::FileError& error) {
        ClearEditor();
        messages::ShowWarning(error.what());
        return false;
    }
    // The old text goes before the new one is built, and the bytes before the editor makes its
    // own copy of the text: at most two copies of the document live at once.
    ClearEditor();
    doctext::Document document;
    try {
        document = doctext::Decode(bytes);
    } catch (const std::bad_alloc&) {
        messages::ShowWarning(outOfMemory("abrir", file));
        return false;
    }
    std::string().swap(bytes);
    parts_.textEdit->setPlainText(document.text);
    format_ = document.format;
    MarkClean();
    run_.currentFile = file;
    SetCaption();
    return true;
}

bool Documents::WriteDocument(const std::string& file) {
    try {
        doctext::WriteFile(file, doctext::Encode(parts_.textEdit->document()->toRawText(), format_));
    } catch (const safefile::FileError& error) {
        messages::ShowWarning(error.what());
        return false;
    } catch (const std::bad_alloc&) {
        messages::ShowWarning(outOfMemory("gravar", file));
        return false;
    }
    MarkClean();
    return true;
}

void Documents::newPage() {
    // Answered No, the text stays but under no name.
    const bool asked = isModified();
    if (!asked || messages::AskDiscard(kConfirmCaption, "Confirmando apagamento geral")) clearText();
    forgetName();
    list_.ClearSelection();
    if (asked) handTextBackQuietly(parts_);
    SayDone(parts_, QStringLiteral("Nova p\u00e1gina"), asked ? kFocusBackMs : 0);
}

void Documents::openFile() {
    if (!mayDropText()) return;
    std::error_code unknown;
    const std::filesystem::path before = std::filesystem::current_path(unknown);
    const std::string file = runFileDialog(*parts_.openDialog);
    if (file.empty()) return;
    if (LoadDocument(file)) {
        list_.RefreshFileList(run_.currentFile);
    } else if (!before.empty()) {
        // The list keeps what it showed, and the folder stays the one it shows: a bare name
        // in it, or a kept document's bare name, still means the file it meant.
        std::filesystem::current_path(before, unknown);
    }
}

void Documents::save() {
    if (run_.currentFile.empty()) {
        saveAs();
        return;
    }
    if (WriteDocument(run_.currentFile)) SayDone(parts_, savedNotice(run_.currentFile));
}

void Documents::saveAs() {
    std::string file = runFileDialog(*parts_.saveDialog);
    if (file.empty()) return;
    // A name without an extension gets ".vloq". Only the file's own name counts: on this
    // system folders often hold a dot (~/.local/share, /home/joao.silva), and a dot there
    // would leave every document of such a folder without its extension.
    const std::size_t slash = file.rfind('/');
    if (file.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos) {
        file += ".vloq";
        // The dialog asked about the name as typed; the name written is another one.
        if (::access(file.c_str(), F_OK) == 0 &&
            !messages::AskDiscard(kConfirmCaption, "O arquivo " + file + " j\xC3\xA1 existe. Substitui?"))
            return;
    }
    run_.currentFile = file;
    if (!WriteDocument(file)) return;
    SetCaption();
    list_.RefreshFileList(run_.currentFile);
    handTextBackQuietly(parts_);
    SayDone(parts_, savedNotice(file), kFocusBackMs);  // after the dialog's focus goes back
}

void Documents::quit() {
    if (isModified() && !messages::AskDiscard(kConfirmCaption, "Texto foi alterado, sai sem salvar?")) return;
    // The user has just said that the changes may go: the close check asks no second time.
    quitConfirmed_ = true;
    parts_.window->close();
    quitConfirmed_ = false;
}

bool Documents::mayClose() {
    return quitConfirmed_ || !isModified() ||
           messages::AskDiscard(kConfirmCaption, "Termina o programa sem salvar a edi\xC3\xA7\xC3\xA3o?");
}

bool Documents::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.window && event->type() == QEvent::Close && !mayClose()) {
        event->ignore();
        return true;
    }
    return false;
}
