#pragma once
// Seams for tests: a dialog runner that answers each modal dialog from a script, and a shell
// opener that records what the program asked the desktop to open.
#include <QDialog>
#include <QFileDialog>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "editor/seams/dialogrunner.h"
#include "platform/shell.h"

class ScriptedDialogs final : public dialogs::Runner {
public:
    using Answer = std::function<int(QDialog&)>;
    ScriptedDialogs() : previous_(dialogs::Install(this)) {}
    ~ScriptedDialogs() override { dialogs::Install(previous_); }

    // Every dialog run is recorded by objectName; one with no answer left is cancelled.
    int Run(QDialog& dialog) override {
        shown.push_back(dialog.objectName().toStdString());
        if (answers.empty()) return QDialog::Rejected;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer(dialog);
    }

    // Confirms a file dialog on path, recording the folder it opened in.
    void chooseFile(const QString& path) {
        answers.push_back([this, path](QDialog& dialog) {
            auto& files = static_cast<QFileDialog&>(dialog);
            openedIn.push_back(files.directory().absolutePath());
            files.selectFile(path);
            return int(QDialog::Accepted);
        });
    }

    std::deque<Answer> answers;
    std::vector<std::string> shown;
    QStringList openedIn;

private:
    dialogs::Runner* previous_;
};

class RecordingShell final : public shell::Opener {
public:
    RecordingShell() : previous_(shell::Install(this)) {}
    ~RecordingShell() override { shell::Install(previous_); }
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
    std::vector<std::string> opened;

private:
    shell::Opener* previous_;
};
