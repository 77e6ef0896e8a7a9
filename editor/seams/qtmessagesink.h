#pragma once
// The message seam as the desktop program shows it: message boxes, Yes/No question boxes and
// one-line input boxes, modal over the program's active window.
#include <QString>

#include "platform/messages.h"

class QWidget;

class QtMessageSink final : public messages::Sink {
public:
    // caption: the title of plain message boxes (questions and input boxes bring their own).
    explicit QtMessageSink(QString caption = QStringLiteral("Velloq"));

    // A message box with one OK button; returns when the user closes it.
    void Show(const std::string& text) override;
    // The same box with the information icon.
    void ShowInformation(const std::string& text) override;
    // The same box with the warning icon, which a screen reader announces as an alert.
    void ShowWarning(const std::string& text) override;
    // A question box with the buttons Yes and No; true only for Yes (closing the box is No).
    // Enter answers Yes.
    bool AskYesNo(const std::string& caption, const std::string& question) override;
    // The same box with No as its default button: Enter and Esc both answer No.
    bool AskDiscard(const std::string& caption, const std::string& question) override;
    // An input box starting with initial; nullopt when the user cancels it.
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;

private:
    void showBox(int icon, const std::string& text);
    bool ask(const std::string& caption, const std::string& question, bool yesByDefault);

    QString caption_;
};
