#pragma once
// A main window with its document, page and work-folder commands, started in a fresh start
// folder, with every message, dialog and shell request answered or recorded by the test.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "editor/workfolder/workfoldersettingsdialog.h"
#include "editor/state/runstate.h"
#include "editor/mainwindow/mainwindow.h"
#include "editor/mainwindow/documentcommands.h"
#include "editor/workfolder/workfoldercommands.h"
#include "scripteddialogs.h"
#include "scriptedsink.h"

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Takes away, while it lives, an administrator's power to ignore file permissions, so that
// read-only files and folders stop a test run as root as they stop a user.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (active_) ::syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// The start folder is a temporary folder made current before the window is created, as when
// the program starts there.
struct DocFixture {
    explicit DocFixture(bool withTextos = true) {
        start = QDir(tmp.path()).canonicalPath();
        if (withTextos) QDir(start).mkdir(QStringLiteral("textos"));
        QDir::setCurrent(start);
        mainWindow = std::make_unique<MainWindow>();
        commands = ConnectDocumentCommands(mainWindow->parts(), run());
        mainWindow->setInfoDialog(new WorkFolderSettingsDialog(run(), mainWindow.get()));
    }
    ~DocFixture() {
        mainWindow.reset();
        QDir::setCurrent(QDir::tempPath());
    }
    RunState& run() const { return mainWindow->runState(); }
    QString textos() const { return start + QStringLiteral("/textos"); }
    QString cwd() const { return QDir::currentPath(); }
    std::string text() const { return mainWindow->textEdit->toPlainText().toStdString(); }
    bool modified() const { return mainWindow->textEdit->document()->isModified(); }
    void type(const QString& text) {
        mainWindow->textEdit->setFocus();
        QTest::keyClicks(mainWindow->textEdit, text);
    }
    void trigger(const char* entry) { mainWindow->action(QString::fromLatin1(entry))->trigger(); }
    QStringList listed() const {
        QStringList names;
        for (int i = 0; i < mainWindow->fileListBox->count(); ++i) names << mainWindow->fileListBox->item(i)->text();
        return names;
    }
    QString selected() const {
        const auto items = mainWindow->fileListBox->selectedItems();
        return items.isEmpty() ? QString() : items.front()->text();
    }

    QTemporaryDir tmp;
    QString start;
    ScriptedSink sink;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<MainWindow> mainWindow;
    DocumentCommands commands{};
};
