#include "editor/seams/qtmessagesink.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// The window the box belongs to, so that it stays in front of it and the screen reader
// announces it as that window's dialog.
QWidget* owner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

}  // namespace

QtMessageSink::QtMessageSink(QString caption) : caption_(std::move(caption)) {}

void QtMessageSink::Show(const std::string& text) { showBox(QMessageBox::NoIcon, text); }

void QtMessageSink::ShowInformation(const std::string& text) { showBox(QMessageBox::Information, text); }

void QtMessageSink::ShowWarning(const std::string& text) { showBox(QMessageBox::Warning, text); }

void QtMessageSink::showBox(int icon, const std::string& text) {
    // Texts written for the original system end lines with CR alone.
    QString shown = fromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Icon(icon), caption_, shown, QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);  // a path or a typed name is shown as it is, never as markup
    box.exec();
}

bool QtMessageSink::AskYesNo(const std::string& caption, const std::string& question) {
    return ask(caption, question, true);
}

bool QtMessageSink::AskDiscard(const std::string& caption, const std::string& question) {
    return ask(caption, question, false);
}

bool QtMessageSink::ask(const std::string& caption, const std::string& question, bool yesByDefault) {
    QMessageBox box(QMessageBox::Question, fromUtf8(caption), fromUtf8(question),
                    QMessageBox::Yes | QMessageBox::No, owner());
    box.setTextFormat(Qt::PlainText);
    // The answers in the program's language, whatever translations the system has; the
    // access keys S and N.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    box.setDefaultButton(yesByDefault ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtMessageSink::AskText(const std::string& caption, const std::string& prompt,
                                                  const std::string& initial) {
    QInputDialog box(owner());
    box.setWindowTitle(fromUtf8(caption));
    box.setLabelText(fromUtf8(prompt));
    box.setTextValue(fromUtf8(initial));
    box.setInputMode(QInputDialog::TextInput);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("Cancelar"));
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue().toStdString();
}
