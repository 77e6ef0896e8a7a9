// What each step of a homework makes the listener hear, once: the exploration's opening, a step
// and Enter, saving, a new page, inserting a catalogue formula, a typing error, a menu opening, a
// search that finds nothing, a field of the first dialog. Heard through what the screen reader
// reads (the focused object's name and role, the notice line it announces) or, without one, the
// program's own voice.
#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QTextBlock>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <functional>

#include "docfixture.h"
#include "editor/documents/documents.h"
#include "editor/editing/finddialog.h"
#include "editor/editing/findcommands.h"
#include "editor/speaking/explorationwindow.h"
#include "editor/text/screenreader.h"
#include "editor/speaking/typingnotice.h"
#include "editor/window/quietfocus.h"
#include "modalanswer.h"
#include "platform/codepage.h"
#include "settings/settings.h"
#include "tests/speech/recording_voice.h"

namespace {

// The notice line's text while it shows; "" while it is hidden.
QString noticeOf(DocFixture& f) {
    auto* notice = f.mainWindow->findChild<QLabel*>(QStringLiteral("noticeLine"));
    return notice && notice->isVisibleTo(f.mainWindow.get()) ? notice->text() : QString();
}

// What a screen reader says of the object w as it takes the focus: its name, and the role word
// it adds unless the role is one it says no word for.
QString focusSaid(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    if (!face) return QStringLiteral("<none>");
    const QString name = face->text(QAccessible::Name);
    return face->role() == QAccessible::Client ? name : name + QStringLiteral(" <role ") + QString::number(face->role()) + '>';
}

// Opens the exploration on the caret's formula, runs walk in it, and gives back what it saw.
QString explore(DocFixture& f, const std::function<QString(ExplorationWindow*)>& walk) {
    QString said;
    ModalAnswer answer([&](QWidget* w) {
        auto* window = qobject_cast<ExplorationWindow*>(w);
        if (window) said = walk(window);
    });
    QTest::keyClick(f.mainWindow->textEdit, Qt::Key_F9, Qt::ControlModifier);
    return answer.answered() ? said : QStringLiteral("<no window>");
}

// Whether screen readers are told, twice over, that w takes the focus: "quiet,told" when a
// command has handed the focus back without a word to them.
QString focusToldTwice(QWidget* w) {
    QAccessibleEvent focus(w, QAccessible::Focus);
    const bool first = PassesToScreenReaders(focus);
    const bool second = PassesToScreenReaders(focus);
    return QStringLiteral("%1,%2").arg(first ? "told" : "quiet", second ? "told" : "quiet");
}

// Whether the text's coming back to the keyboard is kept from screen readers, then the notice
// the command shows after it.
QString focusBackThenNotice(DocFixture& f) {
    const QString told = focusToldTwice(f.mainWindow->textEdit);
    const bool shown = QTest::qWaitFor([&f] { return !noticeOf(f).isEmpty(); });
    return told + " | " + (shown ? noticeOf(f) : QStringLiteral("<no notice>"));
}

void placeCaret(DocFixture& f, int line, int column) {
    QTextCursor c(f.mainWindow->textEdit->document()->findBlockByNumber(line));
    c.setPosition(c.position() + column);
    f.mainWindow->textEdit->setTextCursor(c);
}

struct Row {
    const char* step;
    bool screenReader;
    std::function<QString(DocFixture&)> act;  // what was heard
    const char* heard;                        // UTF-8
};

const Row kRows[] = {
    {"exploration opening: the formula once, as the focus, with no role word", true,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("Seja `x=2a`"));
         placeCaret(f, 0, 6);
         return explore(f, [](ExplorationWindow* w) {
             QTest::qWaitFor([w] { return w->spokenText->hasFocus(); });
             // the window's own texts (read with its name) hold only the hint
             QStringList labels;
             for (QLabel* label : w->findChildren<QLabel*>())
                 if (QAccessible::queryAccessibleInterface(label)->role() == QAccessible::StaticText) labels << label->text();
             w->reject();
             return focusSaid(w->spokenText) + " | " + labels.join(',');
         });
     },
     "x igual a 2 á | Setas para andar, Espaço repete, Enter seleciona, Esc volta."},
    {"exploration step: the sign between members", true,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("`x=2a`"));
         return explore(f, [](ExplorationWindow* w) {
             QTest::keyClick(w, Qt::Key_Down);
             QTest::keyClick(w, Qt::Key_Right);
             const QString said = focusSaid(w->spokenText);
             w->reject();
             return said;
         });
     },
     "sinal: igual a"},
    {"exploration Enter: said once the editor has the focus back", true,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("`x=2a`"));
         explore(f, [](ExplorationWindow* w) {
             QTest::keyClick(w, Qt::Key_Down);
             QTest::keyClick(w, Qt::Key_End);
             QTest::keyClick(w, Qt::Key_Return);
             return QString();
         });
         QTest::qWaitFor([&f] { return !noticeOf(f).isEmpty(); });
         return noticeOf(f);
     },
     "selecionado: 2 á"},
    {"exploration Enter: the text takes the keyboard back unheard, once", true,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("`x=2a`"));
         explore(f, [](ExplorationWindow* w) {
             QTest::keyClick(w, Qt::Key_Down);
             QTest::keyClick(w, Qt::Key_Return);
             return QString();
         });
         return focusBackThenNotice(f);
     },
     "quiet,told | selecionado: x"},
    {"exploration Enter without a screen reader: the program's voice", false,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("`x=2a`"));
         speechtest::RecordingVoice voice;
         explore(f, [](ExplorationWindow* w) {
             QTest::keyClick(w, Qt::Key_Down);
             QTest::keyClick(w, Qt::Key_Return);
             return QString();
         });
         return QString::fromStdString(codepage::Cp1252ToUtf8(voice.texts.back()));
     },
     "selecionado: x"},
    {"save of a named document: the file's name, not its path", true,
     [](DocFixture& f) {
         writeBytes(f.textos() + "/aula.vloq", "Texto.");
         f.commands.workFolder->OpenWorkFolder(f.textos().toStdString());
         f.commands.documents->LoadDocument(f.textos().toStdString() + "/aula.vloq");
         f.type(QStringLiteral("x"));
         f.trigger("save");
         return noticeOf(f);
     },
     "Salvo: aula.vloq"},
    {"save under a new name: the text takes the keyboard back unheard, then the file's name", true,
     [](DocFixture& f) {
         f.type(QStringLiteral("x"));
         f.dialogs.chooseFile(f.textos() + "/tarefa.vloq");
         f.trigger("saveAs");
         return focusBackThenNotice(f);
     },
     "quiet,told | Salvo: tarefa.vloq"},
    {"save without a screen reader: the program's voice", false,
     [](DocFixture& f) {
         writeBytes(f.textos() + "/aula.vloq", "Texto.");
         f.commands.documents->LoadDocument(f.textos().toStdString() + "/aula.vloq");
         speechtest::RecordingVoice voice;
         f.trigger("save");
         return voice.texts.size() == 1 ? QString::fromStdString(codepage::Cp1252ToUtf8(voice.texts[0])) : QString();
     },
     "Salvo: aula.vloq"},
    {"new page", true,
     [](DocFixture& f) {
         f.trigger("newPage");
         return noticeOf(f);
     },
     "Nova página"},
    {"new page over a changed text, asked first: the text takes the keyboard back unheard", true,
     [](DocFixture& f) {
         f.type(QStringLiteral("x"));
         f.sink.yesNo.push_back(true);
         f.trigger("newPage");
         return focusBackThenNotice(f);
     },
     "quiet,told | Nova página"},
    {"catalogue formula inserted: its reading", true,
     [](DocFixture& f) {
         for (QAction* entry : f.mainWindow->findChildren<QAction*>())
             if (entry->objectName() == QLatin1String("catalogueFormula1_1")) entry->trigger();
         QTest::qWaitFor([&f] { return !noticeOf(f).isEmpty(); });
         return noticeOf(f);
     },
     "Fórmula inserida: P igual a 4 vezes L"},
    {"catalogue formula chosen with Enter: the text takes the keyboard back unheard", true,
     [](DocFixture& f) {
         auto* group = f.mainWindow->findChild<QMenu*>(QStringLiteral("formulaGroup1"));
         group->popup(QPoint(0, 0));
         QTest::qWaitForWindowExposed(group);
         group->setActiveAction(group->actions().value(0));
         QTest::keyClick(group, Qt::Key_Return);
         return focusToldTwice(f.mainWindow->textEdit) + " | " + f.mainWindow->textEdit->toPlainText();
     },
     "quiet,told | `P=4.L`"},
    {"typing error: the closing backquote of a formula with an unclosed bracket", true,
     [](DocFixture& f) {
         f.type(QStringLiteral("Erro: `(a+b`"));
         return noticeOf(f);
     },
     "parêntese sem fechamento"},
    {"typing error: said once, not again when the line is left", true,
     [](DocFixture& f) {
         f.type(QStringLiteral("`(a+b`"));
         f.mainWindow->findChild<QLabel*>(QStringLiteral("noticeLine"))->hide();
         QTest::keyClick(f.mainWindow->textEdit, Qt::Key_Return);
         return noticeOf(f);
     },
     ""},
    {"typing error: the caret leaves a line whose formula holds one", true,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("`1/` e `[a\nfim"));
         QTest::keyClick(f.mainWindow->textEdit, Qt::Key_Down);
         return noticeOf(f);
     },
     "denominador vazio, colchete sem fechamento, fórmula sem crase de fechamento"},
    {"typing error: the notice turned off under Configurar", true,
     [](DocFixture& f) {
         // the menu shows it on while a screen reader runs; the entry then turns it off
         emit f.mainWindow->findChild<QMenu*>(QStringLiteral("settingsMenu"))->aboutToShow();
         f.trigger("typingErrorNotice");
         f.type(QStringLiteral("`(a+b`"));
         return noticeOf(f) + " | " + QString::fromStdString(settings::ReadText(f.run().programSettingsFile, settings::kTypingNoticeKey));
     },
     " | 0"},
    {"typing error: without a screen reader nor a choice, no notice", false,
     [](DocFixture& f) {
         speechtest::RecordingVoice voice;
         f.type(QStringLiteral("`(a+b`"));
         return noticeOf(f) + QString::number(voice.texts.size());
     },
     "0"},
    {"menu opening: its first entry says the menu's name", true,
     [](DocFixture& f) {
         auto* menu = f.mainWindow->findChild<QMenu*>(QStringLiteral("fileMenu"));
         menu->popup(QPoint(0, 0));
         const QList<QAction*> entries = menu->actions();
         menu->setActiveAction(entries[0]);
         const QString first = focusSaid(menu).isEmpty() ? QString() : QAccessible::queryAccessibleInterface(entries[0])->text(QAccessible::Name);
         menu->setActiveAction(entries[1]);
         const QString second = QAccessible::queryAccessibleInterface(entries[1])->text(QAccessible::Name);
         menu->hide();
         return first + " | " + second;
     },
     "Arquivo, menu: Selecionar pasta de trabalho | Reabrir pasta de trabalho"},
    {"help menu: named Ajuda, its caption still ?", true,
     [](DocFixture& f) {
         auto* menu = f.mainWindow->findChild<QMenu*>(QStringLiteral("helpMenu"));
         return menu->title() + " | " + QAccessible::queryAccessibleInterface(menu)->text(QAccessible::Name) + " | " +
                QAccessible::queryAccessibleInterface(menu->menuAction())->text(QAccessible::Name);
     },
     "&? | Ajuda | Ajuda"},
    {"search that finds nothing: the box says it, nothing else does", true,
     [](DocFixture& f) {
         f.mainWindow->textEdit->setPlainText(QStringLiteral("abc"));
         FindDialog* dialog = FindDialogOf(f.mainWindow->parts());
         f.trigger("find");
         dialog->findWhatEdit->setText(QStringLiteral("zzz"));
         emit dialog->Find();
         auto* status = dialog->findChild<QLabel*>(QStringLiteral("statusLine"));
         const bool notice = status->isVisibleTo(dialog);  // a notification, announced as it shows
         dialog->close();
         return QString::fromStdString(f.sink.calls.empty() ? std::string() : f.sink.calls.back()) + " | " +
                (notice ? "notice" : "no notice") + " | " + dialog->findWhatEdit->accessibleDescription();
     },
     "Show: Busca terminada | no notice | "},
    {"first dialog: Tab to a field leaves its text whole and unselected", true,
     [](DocFixture& f) {
         f.run().templateFile = "modeloMat.mdl";
         auto* dialog = new WorkFolderSettingsDialog(f.run(), f.mainWindow.get());
         dialog->show();
         QTest::qWaitForWindowActive(dialog);
         dialog->folderEdit->setFocus(Qt::TabFocusReason);
         QTest::keyClick(dialog->folderEdit, Qt::Key_Tab);
         const QString said = dialog->focusWidget() == dialog->templateEdit ? dialog->templateEdit->text() + " | " + dialog->templateEdit->selectedText() : "<focus>";
         dialog->close();
         return said;
     },
     "modeloMat.mdl | "},
    {"first dialog: a field's text is one run, which a reader says whole", true,
     [](DocFixture& f) {
         WorkFolderSettingsDialog dialog(f.run(), f.mainWindow.get());
         dialog.templateEdit->setText(QStringLiteral("modeloMat.mdl"));
         QAccessibleInterface* face = QAccessible::queryAccessibleInterface(dialog.templateEdit);
         int start = -1, end = -1;
         face->textInterface()->attributes(4, &start, &end);
         return face->text(QAccessible::Name) + " | " + face->textInterface()->text(start, end);
     },
     "Modelo | modeloMat.mdl"},
};

// What reaches screen readers of a text (and of what it holds) once a command has asked for
// quiet: a focus handed back, or everything while the command changes it.
struct QuietRow {
    const char* step;
    std::function<QString(QPlainTextEdit*, QWidget*)> act;  // the text and another widget
    const char* told;
};

bool told(QAccessibleEvent&& event) { return PassesToScreenReaders(event); }
bool focusTold(QWidget* w) { return told(QAccessibleEvent(w, QAccessible::Focus)); }
bool caretTold(QWidget* w) { return told(QAccessibleTextCursorEvent(w, 0)); }
QString yesNo(std::initializer_list<bool> answers) {
    QString said;
    for (bool a : answers) said += a ? 'y' : 'n';
    return said;
}

const QuietRow kQuietRows[] = {
    {"a focus handed back quietly: that focus only, once",
     [](QPlainTextEdit* text, QWidget*) {
         TakeFocusQuietly(text);
         return yesNo({caretTold(text), focusTold(text->viewport()), focusTold(text)});
     },
     "yny"},
    {"a focus handed back quietly: another widget's focus is told, the awaited one still kept",
     [](QPlainTextEdit* text, QWidget* other) {
         TakeFocusQuietly(text);
         return yesNo({focusTold(other), focusTold(text), focusTold(text)});
     },
     "yny"},
    {"a focus awaited too long is told",
     [](QPlainTextEdit* text, QWidget*) {
         TakeFocusQuietly(text, 0);
         return yesNo({focusTold(text)});
     },
     "y"},
    {"while a command changes the text: nothing of it is told, the rest is, and all of it after",
     [](QPlainTextEdit* text, QWidget* other) {
         QString answers;
         {
             QuietWhileChanging quiet(text);
             answers = yesNo({caretTold(text), focusTold(text), focusTold(other)});
         }
         return answers + yesNo({caretTold(text), focusTold(text)});
     },
     "nnyyy"},
};

}  // namespace

class UtterancesTest : public QObject {
    Q_OBJECT
private slots:
    void commandsAskForQuiet() {
        for (const QuietRow& row : kQuietRows) {
            QWidget window;
            auto* text = new QPlainTextEdit(&window);
            auto* other = new QPlainTextEdit(&window);
            const QString told = row.act(text, other);
            QVERIFY2(told == QString::fromUtf8(row.told), qPrintable(QStringLiteral("%1: told \"%2\"").arg(QString::fromUtf8(row.step), told)));
        }
    }

    void eachStepIsHeardOnce() {
        for (const Row& row : kRows) {
            DocFixture f;
            f.mainWindow->show();
            QVERIFY(QTest::qWaitForWindowActive(f.mainWindow.get()));
            screenreader::Force(row.screenReader);
            const QString heard = row.act(f);
            screenreader::Force(std::nullopt);
            QVERIFY2(heard == QString::fromUtf8(row.heard),
                     qPrintable(QStringLiteral("%1: heard \"%2\"").arg(QString::fromUtf8(row.step), heard)));
        }
    }
};

QTEST_MAIN(UtterancesTest)
#include "utterances_test.moc"
