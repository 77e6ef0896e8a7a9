#include "editor/seams/dialogrunner.h"

#include <QDialog>

namespace dialogs {
namespace {

class ExecRunner final : public Runner {
public:
    int Run(QDialog& dialog) override { return dialog.exec(); }
};

ExecRunner execRunner;
Runner* current = &execRunner;

}  // namespace

Runner* Install(Runner* runner) {
    Runner* previous = current;
    current = runner ? runner : &execRunner;
    return previous;
}

int Run(QDialog& dialog) { return current->Run(dialog); }

}  // namespace dialogs
