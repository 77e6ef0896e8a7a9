#include "editor/speaking/typingnotice.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QSignalBlocker>
#include <QTextBlock>

#include "editor/text/saydone.h"
#include "editor/text/screenreader.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "settings/settings.h"
#include "reader/reader.h"
#include "reader/typingerrors.h"
#include "speech/formulaspans.h"
#include "speech/formulaspeech.h"

namespace typingnotice {
namespace {

std::vector<formulaspeech::FormulaSpan> spansOf(const QString& line) {
    return formulaspeech::FormulaSpans(
        std::u16string_view(reinterpret_cast<const char16_t*>(line.utf16()), static_cast<std::size_t>(line.size())));
}

// The slips of one formula, joined by ", ".
QString slipsOfFormula(const QString& formula) {
    const reader::Formula parsed = reader::Parse(reader::DecodeCharacterReferences(formula.toStdString()));
    QStringList words;
    for (const reader::TypingError& slip : reader::FindTypingErrors(parsed))
        words << QString::fromUtf8(slip.words.data(), static_cast<qsizetype>(slip.words.size()));
    return words.join(QStringLiteral(", "));
}

struct FormulaSlips {
    QString formula;  // its text, with a line break after it when it is left open
    QString words;
};

// The slips of each formula of line that holds some.
std::vector<FormulaSlips> slipsOfLine(const QString& line) {
    std::vector<FormulaSlips> found;
    for (const formulaspeech::FormulaSpan& span : spansOf(line)) {
        const QString formula = line.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin));
        const bool open = static_cast<qsizetype>(span.end) == line.size() && !line.endsWith(QLatin1Char('`'));
        QStringList words;
        if (const QString slips = slipsOfFormula(formula); !slips.isEmpty()) words << slips;
        if (open) words << QString::fromStdString(codepage::Cp1252ToUtf8(formulaspeech::kOpenFormula));
        if (!words.isEmpty()) found.push_back({open ? formula + QLatin1Char('\n') : formula, words.join(QStringLiteral(", "))});
    }
    return found;
}

class TypingNotice final : public QObject {
public:
    TypingNotice(EditorParts& parts, const RunState& run)
        : QObject(parts.textEdit), parts_(parts), toggle_(parts.action(QStringLiteral("typingErrorNotice"))), run_(run) {
        toggle_->setCheckable(true);
        for (QObject* holder : toggle_->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(holder)) connect(menu, &QMenu::aboutToShow, this, &TypingNotice::showState);
        OnToggle(parts, "typingErrorNotice", [this](bool on) {
            choice_ = on;
            choiceRead_ = true;
            if (!settings::WriteFlag(run_.programSettingsFile, settings::kTypingNoticeKey, on))
                messages::ShowWarning("N\u00e3o foi poss\u00edvel gravar as configura\u00e7\u00f5es em " +
                                      run_.programSettingsFile + ".");
        }, this);
        QPlainTextEdit* textEdit = parts.textEdit;
        line_ = textEdit->textCursor();
        connect(textEdit->document(), &QTextDocument::contentsChange, this, &TypingNotice::onChange);
        connect(textEdit, &QPlainTextEdit::cursorPositionChanged, this, &TypingNotice::onCaretMoved);
    }

private:
    bool on() {
        if (!choiceRead_) {
            choice_ = ReadChoice(run_.programSettingsFile);
            choiceRead_ = true;
        }
        return choice_ ? *choice_ : screenreader::Running();
    }

    void showState() {
        const QSignalBlocker quiet(toggle_);
        toggle_->setChecked(on());
    }

    // A backquote typed that closes a formula: that formula's slips.
    void onChange(int position, int, int added) {
        if (added != 1 || parts_.textEdit->document()->characterAt(position) != QLatin1Char('`') || !on()) return;
        const QTextBlock block = parts_.textEdit->document()->findBlock(position);
        const std::size_t at = static_cast<std::size_t>(position - block.position());
        for (const formulaspeech::FormulaSpan& span : spansOf(block.text()))
            if (span.end == at) sayOnce(block.text().mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)));
    }

    // The caret in another line: the slips of the line it left, said before the new line.
    void onCaretMoved() {
        const QTextCursor now = parts_.textEdit->textCursor();
        const QTextBlock left = line_.block();
        line_ = now;
        if (!left.isValid() || left == now.block() || !on()) return;
        QStringList words;
        for (const FormulaSlips& slips : slipsOfLine(left.text()))
            if (!said_.contains(slips.formula)) {
                said_.insert(slips.formula);
                words << slips.words;
            }
        if (!words.isEmpty()) SayDone(parts_, words.join(QStringLiteral(", ")));
    }

    void sayOnce(const QString& formula) {
        if (said_.contains(formula)) return;
        const QString slips = slipsOfFormula(formula);
        if (slips.isEmpty()) return;
        said_.insert(formula);
        SayDone(parts_, slips);
    }

    EditorParts& parts_;
    QAction* toggle_;
    const RunState& run_;
    QTextCursor line_;      // follows the caret's line through edits
    QSet<QString> said_;    // the formulas whose slips were said: said once
    std::optional<bool> choice_;
    bool choiceRead_ = false;
};

}  // namespace

QString SlipsOf(const QString& line) {
    QStringList words;
    for (const FormulaSlips& slips : slipsOfLine(line)) words << slips.words;
    return words.join(QStringLiteral(", "));
}

std::optional<bool> ReadChoice(const std::string& file) {
    return settings::ReadFlag(file, settings::kTypingNoticeKey);
}

void Connect(EditorParts& parts, const RunState& run) { new TypingNotice(parts, run); }

}  // namespace typingnotice
