#include "editor/text/linemoves.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>

#include "editor/text/screenreader.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "platform/messages.h"

namespace linemoves {
namespace {

constexpr const char* kFilterName = "velloqLineMoves";

class LineMoves final : public QObject {
public:
    LineMoves(EditorParts& parts, const RunState& run)
        : QObject(parts.textEdit), editor_(parts.textEdit), toggle_(parts.action(QStringLiteral("linesAsUnits"))), run_(run) {
        setObjectName(QLatin1String(kFilterName));
        toggle_->setCheckable(true);
        if (QMenu* menu = menuOf(toggle_)) connect(menu, &QMenu::aboutToShow, this, &LineMoves::showState);
        OnToggle(parts, "linesAsUnits", [this](bool on) {
            choice_ = on;
            choiceRead_ = true;
            if (!settings::WriteFlag(run_.programSettingsFile, kKey, on))
                messages::ShowWarning("N\u00e3o foi poss\u00edvel gravar as configura\u00e7\u00f5es em " +
                                      run_.programSettingsFile + ".");
        }, this);
        editor_->installEventFilter(this);
    }

    bool byLines() const {
        const std::optional<bool> user = choice();
        return user ? *user : screenreader::Running();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != editor_ || event->type() != QEvent::KeyPress) return false;
        showState();
        if (!byLines()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier) return false;
        const QTextCursor::MoveMode mode =
            modifiers == Qt::ShiftModifier ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
        switch (key->key()) {
        case Qt::Key_Up: return moveLine(-1, mode);
        case Qt::Key_Down: return moveLine(1, mode);
        case Qt::Key_Home: return moveWithin(QTextCursor::StartOfBlock, mode);
        case Qt::Key_End: return moveWithin(QTextCursor::EndOfBlock, mode);
        default: return false;
        }
    }

private:
    // Read when first needed: the window is made before the run state names the settings file.
    std::optional<bool> choice() const {
        if (!choiceRead_) {
            choice_ = ReadChoice(run_.programSettingsFile);
            choiceRead_ = true;
        }
        return choice_;
    }

    static QMenu* menuOf(QAction* action) {
        const QList<QObject*> holders = action->associatedObjects();
        for (QObject* holder : holders)
            if (auto* menu = qobject_cast<QMenu*>(holder)) return menu;
        return nullptr;
    }

    // The action shows the way the arrows move now, the screen reader's way while the user
    // has chosen none.
    void showState() {
        const QSignalBlocker quiet(toggle_);
        toggle_->setChecked(byLines());
    }

    // To the line before or after, at the column the run of Up and Down started from, or at
    // the line's end when it is shorter. At the first or last line, to its start or end.
    bool moveLine(int step, QTextCursor::MoveMode mode) {
        QTextCursor cursor = editor_->textCursor();
        if (cursor.position() != lastPosition_) column_ = cursor.positionInBlock();
        const QTextBlock target = step < 0 ? cursor.block().previous() : cursor.block().next();
        if (!target.isValid()) {
            cursor.movePosition(step < 0 ? QTextCursor::StartOfBlock : QTextCursor::EndOfBlock, mode);
        } else {
            cursor.setPosition(target.position() + std::min(column_, target.length() - 1), mode);
        }
        place(cursor);
        lastPosition_ = cursor.position();
        return true;
    }

    bool moveWithin(QTextCursor::MoveOperation operation, QTextCursor::MoveMode mode) {
        QTextCursor cursor = editor_->textCursor();
        cursor.movePosition(operation, mode);
        place(cursor);
        return true;
    }

    void place(const QTextCursor& cursor) {
        editor_->setTextCursor(cursor);
        editor_->ensureCursorVisible();
    }

    QPlainTextEdit* editor_;
    QAction* toggle_;
    const RunState& run_;
    mutable std::optional<bool> choice_;
    mutable bool choiceRead_ = false;
    int column_ = 0;         // the column a run of Up and Down keeps
    int lastPosition_ = -1;  // where the last Up or Down left the caret
};

}  // namespace

std::optional<bool> ReadChoice(const std::string& file) { return settings::ReadFlag(file, kKey); }

void Connect(EditorParts& parts, const RunState& run) {
    new LineMoves(parts, run);
}

bool ByLines(const QPlainTextEdit* editor) {
    const auto* moves = editor->findChild<QObject*>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
    return moves && static_cast<const LineMoves*>(moves)->byLines();
}

}  // namespace linemoves
