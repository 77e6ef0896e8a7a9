#pragma once
// The seam through which the editor runs its own modal dialogs (the file dialogs, the folder
// chooser, the document-information dialog). The program runs them with exec(); tests
// install a runner that answers from a script, since a dialog nobody closes blocks for ever.
class QDialog;

namespace dialogs {

class Runner {
public:
    virtual ~Runner() = default;
    // Runs dialog modally and gives its result code (QDialog::Accepted or Rejected).
    virtual int Run(QDialog& dialog) = 0;
};

// Installs the runner used from now on (nullptr: the default, exec()). The caller keeps
// ownership; returns the previous runner.
Runner* Install(Runner* runner);

int Run(QDialog& dialog);

}  // namespace dialogs
