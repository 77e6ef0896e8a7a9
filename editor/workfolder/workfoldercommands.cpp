#include "editor/workfolder/workfoldercommands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include "editor/seams/dialogrunner.h"
#include "editor/documents/documents.h"
#include "editor/workfolder/filelist.h"
#include "editor/workfolder/folders.h"
#include "editor/workfolder/folderchooser.h"
#include "editor/workfolder/workfoldersettingsdialog.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "settings/settings.h"

namespace {

constexpr const char* kReopenEntries[] = {"recentFolder1", "recentFolder2", "recentFolder3", "recentFolder4", "recentFolder5"};

struct ExtensionButton {
    const char* name;
    Qt::Key key;
    const char* description;
};
constexpr ExtensionButton kExtensionButtons[] = {
    {"vloqFilterButton", Qt::Key_1, "Lista os textos .vloq (Alt+1)"},
    {"mdlFilterButton", Qt::Key_2, "Lista os modelos .mdl (Alt+2)"},
    {"cssFilterButton", Qt::Key_3, "Lista as folhas de estilo .css (Alt+3)"},
    {"allFilesButton", Qt::Key_4, "Lista todos os arquivos e pastas (Alt+4)"},
};

}  // namespace

WorkFolderCommands::WorkFolderCommands(EditorParts& parts, Documents& documents, FileList& list, RunState& run)
    : QObject(parts.window), parts_(parts), documents_(documents), list_(list), run_(run) {
    OnAction(parts_, "chooseWorkFolder", this, &WorkFolderCommands::chooseWorkFolder);
    OnAction(parts_, "showWorkFolder", this, &WorkFolderCommands::showWorkFolder);
    OnAction(parts_, "recentFolder1", this, &WorkFolderCommands::reopenFolder1);
    OnAction(parts_, "recentFolder2", this, &WorkFolderCommands::reopenFolder2);
    OnAction(parts_, "recentFolder3", this, &WorkFolderCommands::reopenFolder3);
    OnAction(parts_, "recentFolder4", this, &WorkFolderCommands::reopenFolder4);
    OnAction(parts_, "recentFolder5", this, &WorkFolderCommands::reopenFolder5);
    connect(parts_.window->findChild<QMenu*>(QStringLiteral("reopenMenu")), &QMenu::aboutToShow, this,
            &WorkFolderCommands::refreshReopenMenu);
    connect(&list_, &FileList::picked, this, &WorkFolderCommands::openPickedEntry);
    for (const ExtensionButton& row : kExtensionButtons) {
        QToolButton* button = parts_.button(QString::fromLatin1(row.name));
        button->setShortcut(QKeySequence(Qt::ALT | row.key));
        button->setAccessibleDescription(QString::fromUtf8(row.description));
        connect(button, &QToolButton::clicked, this, &WorkFolderCommands::changeListFilter);
    }
    connect(parts_.startupTimer, &QTimer::timeout, this, &WorkFolderCommands::startUp);
}

void WorkFolderCommands::OpenWorkFolder(const std::string& path) {
    run_.workFolder = path;
    if (path.empty() || ::chdir(path.c_str()) != 0) {
        messages::ShowWarning("Pasta de trabalho " + path + " est\xC3\xA1 inacess\xC3\xADvel");
        return;
    }
    documents_.ClearEditor();
    const QString folder = QString::fromStdString(path);
    parts_.openDialog->setDirectory(folder);
    parts_.saveDialog->setDirectory(folder);
    list_.RefreshFileList(path);
    folders::RememberFolder(run_, run_.workFolder);
    run_.ReadSettings();
    if (WorkFolderSettingsDialog* info = parts_.settingsDialog) dialogs::Run(*info);
}

void WorkFolderCommands::chooseWorkFolder() {
    if (!folderDialog_) return;
    std::string path = ChooseFolder(*folderDialog_, run_.workFolder);
    if (path.empty()) return;
    // Opening a folder empties the editor: a modified text is dropped only when the user
    // says so, as with the recent folders.
    if (!documents_.mayDropText()) return;
    // A folder typed without its full path lies in the current directory; the work folder
    // keeps the full path, so that it names the same folder from anywhere.
    if (path.front() != '/') path = settings::CurrentDirectory() + "/" + path;
    if (::chdir(path.c_str()) != 0 &&
        messages::AskYesNo(kConfirmCaption, "Confirmando cria\xC3\xA7\xC3\xA3o da pasta " + path) &&
        ::mkdir(path.c_str(), 0777) != 0) {
        messages::ShowWarning("Pasta n\xC3\xA3o pode ser criada");
        return;
    }
    if (folders::FolderIsEmpty(path)) {
        folders::CopyTemplateFiles(run_.startFolder, path);
        run_.ReadSettings();
        run_.WriteSettings();
        // A new folder goes on with the author and contact in effect, rather than falling
        // back on the placeholders; its template stays the one the settings name.
        const std::string file = settings::FileIn(path);
        settings::WriteText(file, settings::kAuthorKey, run_.author);
        settings::WriteText(file, settings::kContactKey, run_.contact);
    }
    OpenWorkFolder(path);
}

void WorkFolderCommands::ReopenFolder(const std::string& path) {
    if (!documents_.mayDropText()) return;
    if (folders::IsFolder(path))
        OpenWorkFolder(path);
    else
        messages::ShowWarning("Diret\xC3\xB3rio n\xC3\xA3o existe");
}

void WorkFolderCommands::refreshReopenMenu() {
    // Only the entries that hold a folder are shown: an empty one would be a blank, nameless
    // line for a screen reader. With none, the disabled "(nenhuma)" says that the list is empty.
    bool any = false;
    for (size_t i = 0; i < std::size(kReopenEntries); ++i) {
        // A folder's "&" is part of its name, not an access key.
        QString caption = QString::fromStdString(run_.recentFolders[i]);
        QAction* entry = parts_.action(QString::fromLatin1(kReopenEntries[i]));
        entry->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setVisible(!caption.isEmpty());
        any = any || !caption.isEmpty();
    }
    parts_.action(QStringLiteral("noRecentFolder"))->setVisible(!any);
}

void WorkFolderCommands::reopenFolder1() { ReopenFolder(run_.recentFolders[0]); }
void WorkFolderCommands::reopenFolder2() { ReopenFolder(run_.recentFolders[1]); }
void WorkFolderCommands::reopenFolder3() { ReopenFolder(run_.recentFolders[2]); }
void WorkFolderCommands::reopenFolder4() { ReopenFolder(run_.recentFolders[3]); }
void WorkFolderCommands::reopenFolder5() { ReopenFolder(run_.recentFolders[4]); }

void WorkFolderCommands::showWorkFolder() { shell::Open(run_.workFolder); }

void WorkFolderCommands::openPickedEntry(const std::string& name) {
    if (!documents_.mayDropText()) return;
    if (::chdir(run_.workFolder.c_str()) != 0) {
        // The name is then looked for where we are; reading it says what went wrong.
    }
    documents_.LoadDocument(name);
    list_.RefreshFileList(run_.currentFile);
}

void WorkFolderCommands::changeListFilter() {
    auto* button = qobject_cast<QToolButton*>(sender());
    if (!button || !documents_.mayDropText()) return;
    std::string filter = "*." + button->text().toStdString();
    if (filter == "*.*.*") filter = "*.*";
    run_.listFilter = filter;
    list_.RefreshFileList({});
}

void WorkFolderCommands::startUp() {
    parts_.startupTimer->stop();
    OpenWorkFolder(run_.workFolder);
    run_.ReadSettings();
    parts_.openDialog->setDirectory(QString::fromStdString(run_.workFolder));
    list_.RefreshFileList({});
    documents_.MarkClean();
}
