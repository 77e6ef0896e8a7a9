#include "editor/editing/figuredialog.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/window/dialogparts.h"
#include "settings/settings.h"

namespace {

class DialogChooser final : public FigureChooser {
public:
    std::optional<QString> ChooseFile(QWidget* parent, const QString& folder, const QStringList& filters) override {
        QFileDialog dialog(parent, QStringLiteral("Procurar"), folder);
        dialog.setObjectName(QStringLiteral("openDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(filters);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
};

DialogChooser dialogChooser;
FigureChooser* currentChooser = &dialogChooser;

// A caption above its field; the caption is the field's buddy, so it names the field to
// screen readers.
QLabel* captionFor(QWidget* field, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    return label;
}

}  // namespace

FigureChooser* InstallFigureChooser(FigureChooser* chooser) {
    FigureChooser* previous = currentChooser;
    currentChooser = chooser ? chooser : &dialogChooser;
    return previous == &dialogChooser ? nullptr : previous;
}

QStringList FigureNameFilters() {
    // Each entry is shown under its own pattern. File names are case-sensitive here, so the
    // image entry also takes the upper-case extensions that cameras write; "*" is every file,
    // names without a dot included.
    return {QStringLiteral("*.gif; *.jpg; *.jpeg; *.png (*.gif *.jpg *.jpeg *.png *.GIF *.JPG *.JPEG *.PNG)"),
            QStringLiteral("*.* (*)")};
}

QString FigurePathFor(const QString& chosen, const QString& folder) {
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    if (!chosen.startsWith(prefix) || chosen.size() == prefix.size()) return chosen;
    return chosen.mid(prefix.size());
}

FigureDialog::FigureDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("figureDialog"));
    setWindowTitle(QStringLiteral("Figura"));
    setModal(true);

    figureNameEdit = new QLineEdit(this);
    figureNameEdit->setObjectName(QStringLiteral("figureNameEdit"));
    figureNameEdit->setMinimumWidth(300);
    browseButton = NamedButton(this, "browseButton", QStringLiteral("Procurar"), Press::Other);
    figureCommentEdit = new QLineEdit(this);
    figureCommentEdit->setObjectName(QStringLiteral("figureCommentEdit"));

    okButton = NamedButton(this, "okButton", QStringLiteral("OK"), Press::Default);
    cancelButton = NamedButton(this, "cancelButton", QStringLiteral("Cancelar"), Press::Other);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(figureNameEdit, 1);
    fileRow->addWidget(browseButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(captionFor(figureNameEdit, QStringLiteral("Arquivo da figura"), this));
    layout->addLayout(fileRow);
    layout->addSpacing(6);
    layout->addWidget(captionFor(figureCommentEdit, QStringLiteral("Comentário da figura"), this));
    layout->addWidget(figureCommentEdit);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(figureNameEdit, browseButton);
    setTabOrder(browseButton, figureCommentEdit);
    setTabOrder(figureCommentEdit, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &FigureDialog::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &FigureDialog::cancel);
    connect(browseButton, &QPushButton::clicked, this, &FigureDialog::browse);
}

void FigureDialog::onActivated() {
    Confirmed = false;
    figureNameEdit->clear();
    figureCommentEdit->clear();
    figureNameEdit->setFocus();
}

void FigureDialog::confirm() {
    Confirmed = !figureNameEdit->text().isEmpty();
    accept();
}

void FigureDialog::cancel() {
    Confirmed = false;
    reject();
}

void FigureDialog::browse() {
    const std::string noted = settings::CurrentDirectory();
    const QString folder = QString::fromStdString(noted);
    const std::optional<QString> chosen =
        currentChooser->ChooseFile(this, folder.isEmpty() ? QStringLiteral("/") : folder, FigureNameFilters());
    // Put back even after a cancel: a chooser that moved the current directory must not leave
    // bare names resolving somewhere else.
    if (settings::CurrentDirectory() != noted) QDir::setCurrent(folder.isEmpty() ? QStringLiteral("/") : folder);
    if (!chosen) return;
    figureNameEdit->setText(FigurePathFor(*chosen, folder));
}

void FigureDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    onActivated();
}
