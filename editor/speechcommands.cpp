// The "&Falar" commands of the main window: the window finds the caret's line and the start
// folder; the speech module does the rest.
#include "editor/speechcommands.h"

#include <thread>

#include <QAction>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "editor/editops.h"
#include "editor/uexplorar.h"
#include "editor/usintetizador.h"
#include "editor/uvars.h"
#include "editor/velloqPrinc.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "speech/falar.h"
#include "speech/formulaspans.h"
#include "speech/ormivox.h"
#include "speech/uinternet.h"

namespace {

std::string ToCp1252(const QString& text) { return codepage::Utf8ToCp1252(text.toStdString()); }

// Connecting on demand connects at start-up, off the window's thread: the server may have to
// be started and take a moment to listen.
void ConnectInBackground() {
    std::thread([folder = uvars::StartFolder] {
        falar::DetachedStarter starter;
        const int handle = falar::OpenOrStart(folder, starter);
        QMetaObject::invokeMethod(
            qApp,
            [handle] {
                // A command may have connected meanwhile: the working connection stays.
                if (handle > 0 && ormivox::ConnectionWorks()) uinternet::CloseConnection(handle);
                else if (handle > 0) ormivox::AdoptConnection(handle);
            },
            Qt::QueuedConnection);
    }).detach();
}

// Puts settings into effect and keeps them in the program settings file.
void UseAndKeep(const speechsettings::SpeechSettings& settings) {
    falar::ApplySettings(settings, uvars::StartFolder);
    if (!speechsettings::Write(uvars::ProgramSettingsFile, settings))
        messages::ShowWarning("N\u00e3o foi poss\u00edvel gravar as configura\u00e7\u00f5es em " + uvars::ProgramSettingsFile + ".");
}

}  // namespace

CaretFormula FormulaAtCaret(const QPlainTextEdit* memo) {
    const QTextCursor cursor = memo->textCursor();
    const QTextBlock block = memo->document()->findBlock(cursor.selectionStart());
    const QString line = block.text();
    const auto spans = ormivox::FormulaSpans(
        std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size())));
    const int at = ormivox::FormulaAt(spans, static_cast<std::size_t>(cursor.selectionStart() - block.position()));
    if (at < 0) return {};
    const ormivox::FormulaSpan& span = spans[static_cast<std::size_t>(at)];
    return {line.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)),
            block.position() + static_cast<int>(span.begin)};
}

void TForm1::Formula2Click() {
    const LineColumn at = CaretLineColumn(Memo1);
    const QTextBlock line = Memo1->document()->findBlockByNumber(at.line);
    const QString text = line.isValid() ? line.text() : QString();
    falar::Formula2(ToCp1252(text));
}

void TForm1::LigarOrmivox1Click() { falar::LigarOrmivox(uvars::StartFolder); }

void StartSpeech(TForm1* form) {
    falar::ApplySettings(speechsettings::Read(uvars::ProgramSettingsFile), uvars::StartFolder);
    form->action(QStringLiteral("LigarAutomaticamente1"))->setChecked(falar::Settings().autoConnect);
    if (falar::Settings().autoConnect) ConnectInBackground();
}

void ConnectSpeechCommands(TForm1* form) {
    QAction* automatic = form->action(QStringLiteral("LigarAutomaticamente1"));
    automatic->setCheckable(true);
    QObject::connect(automatic, &QAction::triggered, form, [](bool on) {
        speechsettings::SpeechSettings settings = falar::Settings();
        settings.autoConnect = on;
        UseAndKeep(settings);
    });
    QObject::connect(form->action(QStringLiteral("FormulaNoCursor1")), &QAction::triggered, form, [form] {
        falar::SpeakFormula(ToCp1252(FormulaAtCaret(form->Memo1).text));
    });
    QObject::connect(form->action(QStringLiteral("Silenciar1")), &QAction::triggered, form, [] { falar::Silenciar(); });
    QObject::connect(form->action(QStringLiteral("ExplorarFormula1")), &QAction::triggered, form,
                     [form] { ExplorarFormula1Click(form); });
    QObject::connect(form->action(QStringLiteral("Sintetizador1")), &QAction::triggered, form,
                     [form] { Sintetizador1Click(form); });
}

void ExplorarFormula1Click(TForm1* form) {
    const CaretFormula formula = FormulaAtCaret(form->Memo1);
    if (formula.start < 0) {
        falar::SpeakFormula({});
        return;
    }
    reader::Verbosity verbosity = reader::Verbosity::Normal;
    reader::ParseVerbosity(speechsettings::VerbosityName(falar::Settings().verbosity), verbosity);
    TExplorarDlg walk(form->Memo1, formula.start, formula.text, verbosity, form);
    walk.exec();
}

void Sintetizador1Click(TForm1* form) {
    auto* dialog = form->findChild<TSintetizadorDlg*>();
    if (!dialog) dialog = new TSintetizadorDlg(form);
    const speechsettings::SpeechSettings before = falar::Settings();
    dialog->setSettings(before);
    if (dialog->exec() != QDialog::Accepted) {
        falar::ApplySettings(before, uvars::StartFolder);  // "Testar" may have tried others
        return;
    }
    const speechsettings::SpeechSettings chosen = dialog->settings();
    UseAndKeep(chosen);
    form->action(QStringLiteral("LigarAutomaticamente1"))->setChecked(chosen.autoConnect);
}
