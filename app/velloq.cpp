// Velloq: starts the window system, creates the windows in their fixed order with only the
// main window shown, and runs the event loop until the main window closes.
#include <csignal>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>

#include "editor/seams/qtmessagesink.h"
#include "editor/seams/qtshell.h"
#include "editor/documents/recovery.h"
#include "editor/documents/sessionend.h"
#include "editor/help/aboutbox.h"
#include "editor/help/tipswindow.h"
#include "editor/workfolder/folderchooser.h"
#include "editor/editing/linkdialog.h"
#include "editor/editing/figuredialog.h"
#include "editor/workfolder/workfoldersettingsdialog.h"
#include "editor/mainwindow/mainwindow.h"
#include "editor/mainwindow/documentcommands.h"
#include "editor/workfolder/workfoldercommands.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "speech/formulaspeech.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloq"));
    // The program speaks Brazilian Portuguese whatever the desktop's language: the standard
    // dialogs (files, fonts) too, when the system has their translation.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    // The program keeps nothing of one run for the next but its own settings files; the
    // standard dialogs' own memory (folders visited, view modes) lives in a folder that goes
    // with the run.
    QTemporaryDir runMemory;
    if (runMemory.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, runMemory.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, runMemory.path());
    }
    QTranslator standardTexts;
    if (standardTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&standardTexts);

    QtMessageSink sink;
    messages::Install(&sink);
    QtShell opener;
    shell::Install(&opener);
    // A write past the file-size limit must fail like a full disk, with a message and the
    // text kept, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);

    // Module start-up, before any window exists: the voice (the accent table is built by the
    // compiler). Voice errors come from the voice's own thread and are shown on this one.
    formulaspeech::StartModule([](std::function<void()> show) {
        QMetaObject::invokeMethod(qApp, std::move(show), Qt::QueuedConnection);
    });

    // The main window first: its creation sets the run state before any other window exists.
    MainWindow window;
    const DocumentCommands commands = ConnectDocumentCommands(window.parts(), window.runState());
    LinkDialog linkDialog(&window);
    FigureDialog figureDialog(&window);
    AboutBox aboutBox(&window);
    WorkFolderSettingsDialog settingsDialog(window.runState(), &window);
    window.setInfoDialog(&settingsDialog);
    FolderChooser folderChooser(&window);
    commands.workFolder->setFolderDialog(&folderChooser);
    TipsWindow tipsWindow(&window);
    // The copy of unsaved text; made after the commands, so that the copies left by ended
    // editors are offered after the start-up step. At the end of the desktop session the
    // copy is written at once.
    Recovery recovery(window.parts(), *commands.documents);
    SessionEnd sessionEnd([&recovery] { recovery.WriteNow(); });

    window.show();
    window.activateWindow();
    const int status = QApplication::exec();
    shell::Install(nullptr);
    messages::Install(nullptr);
    return status;
}
