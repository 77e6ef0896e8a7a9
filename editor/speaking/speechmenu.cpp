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

#include "editor/editing/editoperations.h"
#include "editor/speaking/explorationwindow.h"
#include "editor/speaking/saydone.h"
#include "editor/speaking/screenreader.h"
#include "editor/speaking/typingnotice.h"
#include "editor/speaking/voicesettingsdialog.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "speech/speechcommands.h"
#include "speech/formulaspans.h"
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

// The reading of the explored piece when the selection of memo is still that piece; else empty.
QString ExploredReading(const QPlainTextEdit* memo) {
    const QTextCursor c = memo->textCursor();
    if (explored.document != memo->document() || !c.hasSelection() || c.selectionStart() != explored.begin ||
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
void UseAndKeep(const speechsettings::SpeechSettings& settings) {
    speechcommands::ApplySettings(settings, runstate::StartFolder);
    if (!speechsettings::Write(runstate::ProgramSettingsFile, settings))
        messages::ShowWarning("N\u00e3o foi poss\u00edvel gravar as configura\u00e7\u00f5es em " + runstate::ProgramSettingsFile + ".");
}

}  // namespace

CaretFormula FormulaAtCaret(const QPlainTextEdit* memo) {
    const QTextCursor cursor = memo->textCursor();
    const QTextBlock block = memo->document()->findBlock(cursor.selectionStart());
    const QString line = block.text();
    const auto spans = formulaspeech::FormulaSpans(
        std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size())));
    const int at = formulaspeech::FormulaAt(spans, static_cast<std::size_t>(cursor.selectionStart() - block.position()));
    if (at < 0) return {};
    const formulaspeech::FormulaSpan& span = spans[static_cast<std::size_t>(at)];
    return {line.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)),
            block.position() + static_cast<int>(span.begin),
            static_cast<qsizetype>(span.end) < line.size() && line.at(static_cast<qsizetype>(span.end)) == QLatin1Char('`')};
}

namespace {

// F9, "&Fórmula": the caret's whole line, each formula read by the speech server.
void speakLine(const QPlainTextEdit* memo) {
    const LineColumn at = CaretLineColumn(memo);
    const QTextBlock line = memo->document()->findBlockByNumber(at.line);
    const QString text = line.isValid() ? line.text() : QString();
    if (text.trimmed().isEmpty()) {
        formulaspeech::SpeakText(kEmptyLine);
        return;
    }
    speechcommands::SpeakCaretLine(ToCp1252(text));
}

// Shift+F9, "Fórmula no cursor": the piece the exploration selected, else the formula at the
// caret, followed by the missing backquote when it is missing.
void speakFormula(const QPlainTextEdit* memo) {
    if (const QString piece = ExploredReading(memo); !piece.isEmpty()) {
        formulaspeech::SpeakText(ToCp1252(piece));
        return;
    }
    if (memo->textCursor().block().text().trimmed().isEmpty()) {
        formulaspeech::SpeakText(kEmptyLine);
        return;
    }
    const CaretFormula formula = FormulaAtCaret(memo);
    speechcommands::SpeakFormula(ToCp1252(formula.text), formula.start >= 0 && !formula.closed
                                                             ? std::string(formulaspeech::kOpenFormula)
                                                             : std::string());
}

}  // namespace

void StartSpeech(EditorParts& parts) {
    // The speech server is spoken to off the window's thread; what it makes the program say
    // comes back here.
    speechcommands::SetDeliver([](std::function<void()> speak) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(speak), Qt::QueuedConnection);
    });
    speechcommands::ApplySettings(speechsettings::Read(runstate::ProgramSettingsFile), runstate::StartFolder);
    parts.action(QStringLiteral("connectAutomatically"))->setChecked(speechcommands::Settings().autoConnect);
    if (speechcommands::Settings().autoConnect) speechcommands::ConnectInBackground(runstate::StartFolder);
}

void ConnectSpeechCommands(EditorParts& parts) {
    QObject::connect(parts.action(QStringLiteral("speakLine")), &QAction::triggered, parts.window,
                     [&parts] { speakLine(parts.textEdit); });
    QObject::connect(parts.action(QStringLiteral("connectSpeech")), &QAction::triggered, parts.window,
                     [] { speechcommands::ConnectSpeech(runstate::StartFolder); });
    QAction* automatic = parts.action(QStringLiteral("connectAutomatically"));
    automatic->setCheckable(true);
    QObject::connect(automatic, &QAction::triggered, parts.window, [](bool on) {
        speechsettings::SpeechSettings settings = speechcommands::Settings();
        settings.autoConnect = on;
        UseAndKeep(settings);
    });
    QObject::connect(parts.action(QStringLiteral("speakFormula")), &QAction::triggered, parts.window,
                     [&parts] { speakFormula(parts.textEdit); });
    QObject::connect(parts.action(QStringLiteral("silence")), &QAction::triggered, parts.window, [] { speechcommands::Silence(); });
    qApp->installEventFilter(new EscapeGivesUp(parts.window));
    QObject::connect(parts.action(QStringLiteral("exploreFormula")), &QAction::triggered, parts.window,
                     [&parts] { exploreFormula(parts); });
    QObject::connect(parts.action(QStringLiteral("voiceSettings")), &QAction::triggered, parts.window,
                     [&parts] { showVoiceSettings(parts); });
    typingnotice::Connect(parts);
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

void showVoiceSettings(EditorParts& parts) {
    auto* dialog = parts.window->findChild<VoiceSettingsDialog*>();
    if (!dialog) dialog = new VoiceSettingsDialog(parts.window);
    const speechsettings::SpeechSettings before = speechcommands::Settings();
    dialog->setSettings(before);
    if (dialog->exec() != QDialog::Accepted) {
        speechcommands::ApplySettings(before, runstate::StartFolder);  // "Testar" may have tried others
        return;
    }
    const speechsettings::SpeechSettings chosen = dialog->settings();
    UseAndKeep(chosen);
    parts.action(QStringLiteral("connectAutomatically"))->setChecked(chosen.autoConnect);
}
