// The "&Falar" commands of the main window: the window finds the caret's line and the start
// folder; the speech module does the rest.
#include "editor/speaking/speechmenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "editor/text/caretformula.h"
#include "editor/text/editoperations.h"
#include "editor/speaking/braillelinedialog.h"
#include "editor/speaking/explorationwindow.h"
#include "editor/text/saydone.h"
#include "editor/text/screenreader.h"
#include "editor/speaking/typingnotice.h"
#include "editor/speaking/voicesettingsdialog.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"

namespace {

std::string ToCp1252(const QString& text) { return codepage::Utf8ToCp1252(text.toStdString()); }

// Esc in the main window gives up a reading still awaited; the key goes on to do its usual
// work.
class EscapeGivesUp final : public QObject {
public:
    explicit EscapeGivesUp(QWidget* window) : QObject(window), window_(window) {}
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
            target->isWidgetType() && static_cast<QWidget*>(target)->window() == window_ && speechcommands::Busy())
            speechcommands::CancelPending();
        return false;
    }

private:
    QWidget* window_;
};

// The piece that the exploration window selected last: while the editor's selection is still
// that piece, "Fórmula no cursor" reads the piece rather than its whole formula.
struct ExploredPiece {
    const QTextDocument* document = nullptr;
    int begin = -1, end = -1;
    QString text;     // the source selected
    QString reading;  // its reading, as the exploration said it
};
ExploredPiece explored;

// The reading of the explored piece when the selection of textEdit is still that piece; else empty.
QString ExploredReading(const QPlainTextEdit* textEdit) {
    const QTextCursor c = textEdit->textCursor();
    if (explored.document != textEdit->document() || !c.hasSelection() || c.selectionStart() != explored.begin ||
        c.selectionEnd() != explored.end || c.selectedText() != explored.text)
        return {};
    return explored.reading;
}

// Keys that move the caret or edit the text cut the program's voice short, as a screen
// reader's own speech is cut: what the user does next matters more than what was being said.
class KeysCutVoice final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_unknown: return false;
        default: speechcommands::Silence(); return false;
        }
    }
};

// Puts settings into effect and keeps them in the program settings file.
void UseAndKeep(const speechsettings::SpeechSettings& settings, const RunState& run) {
    speechcommands::ApplySettings(settings, run.startFolder);
    if (!speechsettings::Write(run.programSettingsFile, settings))
        messages::ShowWarning("N\u00e3o foi poss\u00edvel gravar as configura\u00e7\u00f5es em " + run.programSettingsFile + ".");
}

// F9, "&Fórmula": the caret's whole line, each formula read by the speech server.
void speakLine(const QPlainTextEdit* textEdit) {
    const LineColumn at = CaretLineColumn(textEdit);
    const QTextBlock line = textEdit->document()->findBlockByNumber(at.line);
    const QString text = line.isValid() ? line.text() : QString();
    if (text.trimmed().isEmpty()) {
        formulaspeech::SpeakText(kEmptyLine);
        return;
    }
    speechcommands::SpeakCaretLine(ToCp1252(text));
}

// Shift+F9, "Fórmula no cursor": the piece the exploration selected, else the formula at the
// caret, followed by the missing backquote when it is missing.
void speakFormula(const QPlainTextEdit* textEdit) {
    if (const QString piece = ExploredReading(textEdit); !piece.isEmpty()) {
        formulaspeech::SpeakText(ToCp1252(piece));
        return;
    }
    if (textEdit->textCursor().block().text().trimmed().isEmpty()) {
        formulaspeech::SpeakText(kEmptyLine);
        return;
    }
    const CaretFormula formula = FormulaAtCaret(textEdit);
    speechcommands::SpeakFormula(ToCp1252(formula.text), formula.start >= 0 && !formula.closed
                                                             ? std::string(formulaspeech::kOpenFormula)
                                                             : std::string());
}

}  // namespace

void StartSpeech(EditorParts& parts, const RunState& run) {
    // The speech server is spoken to off the window's thread; what it makes the program say
    // comes back here.
    speechcommands::SetDeliver([](std::function<void()> speak) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(speak), Qt::QueuedConnection);
    });
    speechcommands::ApplySettings(speechsettings::Read(run.programSettingsFile), run.startFolder);
    parts.action(QStringLiteral("connectAutomatically"))->setChecked(speechcommands::Settings().autoConnect);
    if (speechcommands::Settings().autoConnect) speechcommands::ConnectInBackground(run.startFolder);
}

void ConnectSpeechCommands(EditorParts& parts, const RunState& run) {
    OnAction(parts, "speakLine", [&parts] { speakLine(parts.textEdit); });
    OnAction(parts, "connectSpeech", [&run] { speechcommands::ConnectSpeech(run.startFolder); });
    parts.action(QStringLiteral("connectAutomatically"))->setCheckable(true);
    OnToggle(parts, "connectAutomatically", [&run](bool on) {
        speechsettings::SpeechSettings settings = speechcommands::Settings();
        settings.autoConnect = on;
        UseAndKeep(settings, run);
    });
    OnAction(parts, "speakFormula", [&parts] { speakFormula(parts.textEdit); });
    OnAction(parts, "silence", [] { speechcommands::Silence(); });
    qApp->installEventFilter(new EscapeGivesUp(parts.window));
    OnAction(parts, "exploreFormula", exploreFormula);
    OnAction(parts, "brailleLine", showBrailleLine);
    OnAction(parts, "voiceSettings", [&parts, &run] { showVoiceSettings(parts, run); });
    typingnotice::Connect(parts, run);
    auto* cut = new KeysCutVoice(parts.window);
    parts.textEdit->installEventFilter(cut);
    parts.fileListBox->installEventFilter(cut);
    const QList<QMenu*> menus = parts.window->findChildren<QMenu*>();
    for (QMenu* menu : menus) QObject::connect(menu, &QMenu::aboutToShow, parts.window, [] { speechcommands::Silence(); });
}

void exploreFormula(EditorParts& parts) {
    const CaretFormula formula = FormulaAtCaret(parts.textEdit);
    if (formula.start < 0) {
        speechcommands::SpeakFormula({});
        return;
    }
    ExplorationWindow walk(parts.textEdit, formula.start, formula.text, VerbosityInEffect(), parts.window, formula.closed);
    if (walk.exec() != QDialog::Accepted) return;
    if (screenreader::Running()) SayDone(parts, walk.selectedText(), kFocusBackMs);
    const QTextCursor selected = parts.textEdit->textCursor();
    explored = {parts.textEdit->document(), selected.selectionStart(), selected.selectionEnd(), selected.selectedText(),
                walk.pieceReading()};
}

void showVoiceSettings(EditorParts& parts, const RunState& run) {
    auto* dialog = parts.window->findChild<VoiceSettingsDialog*>();
    if (!dialog) dialog = new VoiceSettingsDialog(run.startFolder, parts.window);
    const speechsettings::SpeechSettings before = speechcommands::Settings();
    dialog->setSettings(before);
    if (dialog->exec() != QDialog::Accepted) {
        speechcommands::ApplySettings(before, run.startFolder);  // "Testar" may have tried others
        return;
    }
    const speechsettings::SpeechSettings chosen = dialog->settings();
    UseAndKeep(chosen, run);
    parts.action(QStringLiteral("connectAutomatically"))->setChecked(chosen.autoConnect);
}
