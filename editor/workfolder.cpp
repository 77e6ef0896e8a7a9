#include "editor/workfolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include "editor/dialogrunner.h"
#include "editor/documents.h"
#include "editor/filelist.h"
#include "editor/folders.h"
#include "editor/pagecommands.h"
#include "editor/udir.h"
#include "editor/uinfoDoc.h"
#include "editor/uvars.h"
#include "editor/velloqPrinc.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/shell.h"

namespace {

constexpr const char* kReopenEntries[] = {"N11", "N21", "N31", "N41", "N51"};

struct ExtensionButton {
    const char* name;
    Qt::Key key;
    const char* description;
};
constexpr ExtensionButton kExtensionButtons[] = {
    {"btnVloq", Qt::Key_1, "Lista os textos .vloq (Alt+1)"},
    {"btnMdl", Qt::Key_2, "Lista os modelos .mdl (Alt+2)"},
    {"btnCss", Qt::Key_3, "Lista as folhas de estilo .css (Alt+3)"},
    {"btnTodos", Qt::Key_4, "Lista todos os arquivos e pastas (Alt+4)"},
};

}  // namespace

WorkFolderCommands::WorkFolderCommands(TForm1& form, Documents& documents, FileList& list)
    : QObject(&form), form_(form), documents_(documents), list_(list) {
    auto on = [this](const char* name, void (WorkFolderCommands::*slot)()) {
        connect(form_.action(QString::fromLatin1(name)), &QAction::triggered, this, slot);
    };
    on("escolherPastaBase1", &WorkFolderCommands::escolherPastaBase1Click);
    on("Mostrarpastaatual1", &WorkFolderCommands::Mostrarpastaatual1Click);
    on("N11", &WorkFolderCommands::N11Click);
    on("N21", &WorkFolderCommands::N21Click);
    on("N31", &WorkFolderCommands::N31Click);
    on("N41", &WorkFolderCommands::N41Click);
    on("N51", &WorkFolderCommands::N51Click);
    connect(form_.findChild<QMenu*>(QStringLiteral("Reabrir1")), &QMenu::aboutToShow, this,
            &WorkFolderCommands::CriaMenuReabrir1Click);
    connect(&list_, &FileList::picked, this, &WorkFolderCommands::lb_arquivosClick);
    for (const ExtensionButton& row : kExtensionButtons) {
        QToolButton* button = form_.button(QString::fromLatin1(row.name));
        button->setShortcut(QKeySequence(Qt::ALT | row.key));
        button->setAccessibleDescription(QString::fromUtf8(row.description));
        connect(button, &QToolButton::clicked, this, &WorkFolderCommands::btnExtensaoClick);
    }
    connect(form_.Timer1, &QTimer::timeout, this, &WorkFolderCommands::Timer1Timer);
}

void WorkFolderCommands::OpenWorkFolder(const std::string& path) {
    uvars::WorkFolder = path;
    if (path.empty() || ::chdir(path.c_str()) != 0) {
        messages::ShowWarning("Pasta de trabalho " + path + " est\xC3\xA1 inacess\xC3\xADvel");
        return;
    }
    documents_.ClearEditor();
    const QString folder = QString::fromStdString(path);
    form_.OpenDialog1->setDirectory(folder);
    form_.SaveDialog1->setDirectory(folder);
    list_.RefreshFileList(path);
    folders::RememberFolder(uvars::WorkFolder);
    uvars::ReadSettings();
    if (Tform_infoDoc* info = form_.infoDialog()) dialogs::Run(*info);
}

void WorkFolderCommands::escolherPastaBase1Click() {
    if (!folderDialog_) return;
    std::string path = ChooseFolder(*folderDialog_, uvars::WorkFolder);
    if (path.empty()) return;
    // Opening a folder empties the editor: a modified text is dropped only when the user
    // says so, as with the recent folders.
    if (!documents_.mayDropText()) return;
    // A folder typed without its full path lies in the current directory; the work folder
    // keeps the full path, so that it names the same folder from anywhere.
    if (path.front() != '/') path = uvars::CurrentDirectory() + "/" + path;
    if (::chdir(path.c_str()) != 0 &&
        messages::AskYesNo(kConfirmCaption, "Confirmando cria\xC3\xA7\xC3\xA3o da pasta " + path) &&
        ::mkdir(path.c_str(), 0777) != 0) {
        messages::ShowWarning("Pasta n\xC3\xA3o pode ser criada");
        return;
    }
    if (folders::FolderIsEmpty(path)) {
        folders::CopyTemplateFiles(path);
        uvars::ReadSettings();
        uvars::WriteSettings();
        // A new folder goes on with the author and contact in effect, rather than falling
        // back on the placeholders; its template stays the one the settings name.
        const std::string settings = path + "/" + uvars::kSettingsName;
        profile::WriteString(settings, uvars::kSettingsSection, "AUTOR", uvars::Author);
        profile::WriteString(settings, uvars::kSettingsSection, "CONTATO", uvars::Contact);
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

void WorkFolderCommands::CriaMenuReabrir1Click() {
    // Only the entries that hold a folder are shown: an empty one would be a blank, nameless
    // line for a screen reader. With none, the disabled "(nenhuma)" says that the list is empty.
    bool any = false;
    for (size_t i = 0; i < std::size(kReopenEntries); ++i) {
        // A folder's "&" is part of its name, not an access key.
        QString caption = QString::fromStdString(uvars::RecentFolders[i]);
        QAction* entry = form_.action(QString::fromLatin1(kReopenEntries[i]));
        entry->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
        entry->setVisible(!caption.isEmpty());
        any = any || !caption.isEmpty();
    }
    form_.action(QStringLiteral("Nenhuma1"))->setVisible(!any);
}

void WorkFolderCommands::N11Click() { ReopenFolder(uvars::RecentFolders[0]); }
void WorkFolderCommands::N21Click() { ReopenFolder(uvars::RecentFolders[1]); }
void WorkFolderCommands::N31Click() { ReopenFolder(uvars::RecentFolders[2]); }
void WorkFolderCommands::N41Click() { ReopenFolder(uvars::RecentFolders[3]); }
void WorkFolderCommands::N51Click() { ReopenFolder(uvars::RecentFolders[4]); }

void WorkFolderCommands::Mostrarpastaatual1Click() { shell::Open(uvars::WorkFolder); }

void WorkFolderCommands::lb_arquivosClick(const std::string& name) {
    if (!documents_.mayDropText()) return;
    if (::chdir(uvars::WorkFolder.c_str()) != 0) {
        // The name is then looked for where we are; reading it says what went wrong.
    }
    documents_.LoadDocument(name);
    list_.RefreshFileList(uvars::CurrentFile);
}

void WorkFolderCommands::btnExtensaoClick() {
    auto* button = qobject_cast<QToolButton*>(sender());
    if (!button || !documents_.mayDropText()) return;
    std::string filter = "*." + button->text().toStdString();
    if (filter == "*.*.*") filter = "*.*";
    uvars::ListFilter = filter;
    list_.RefreshFileList({});
}

void WorkFolderCommands::Timer1Timer() {
    form_.Timer1->stop();
    OpenWorkFolder(uvars::WorkFolder);
    uvars::ReadSettings();
    form_.OpenDialog1->setDirectory(QString::fromStdString(uvars::WorkFolder));
    list_.RefreshFileList({});
    documents_.MarkClean();
}

DocumentCommands ConnectDocumentCommands(TForm1& form) {
    DocumentCommands commands{};
    commands.list = new FileList(form);
    commands.documents = new Documents(form, *commands.list);
    commands.pages = new PageCommands(form, *commands.documents);
    commands.workFolder = new WorkFolderCommands(form, *commands.documents, *commands.list);
    return commands;
}
