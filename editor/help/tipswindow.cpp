#include "editor/help/tipswindow.h"

#include "editor/window/dialogparts.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

QStringList TipsLines() {
    return {
        QStringLiteral("&FP login.php"),
        QString(),
        QStringLiteral("CPF:"),
        QStringLiteral("&T 11 cpf \"12345678901\""),
        QString(),
        QStringLiteral("&d data \"2021-01-11\""),
        QString(),
        QStringLiteral("&S times"),
        QStringLiteral("flamengo \"Flamengo\""),
        QStringLiteral("vasco \"Vasco\""),
        QStringLiteral("botafogo \"Botafogo\""),
        QStringLiteral("fluminense \"Fluminense\""),
        QStringLiteral("&S"),
        QString(),
        QStringLiteral("Escolha a opção para vereador"),
        QStringLiteral(" &R  candidato oq \"Otávio Quintas\" *"),
        QStringLiteral(" &R  candidato df \"Dario Fontes\""),
        QStringLiteral(" &R  candidato ib \"Irene Bastos\""),
        QStringLiteral(" &R  candidato br \"Voto em branco\""),
        QString(),
        QStringLiteral("Marque os que interessar"),
        QStringLiteral(" &C  arroz       \"Arroz\" *"),
        QStringLiteral(" &C  feijao      \"Feijoada\" *"),
        QStringLiteral(" &C  abobora     \"Jabá com Jirimum\""),
        QStringLiteral(" &C  dobradinha  \"Dobradinha\""),
        QString(),
        QStringLiteral("&U \"arqUpload\""),
        QString(),
        QStringLiteral("&A 10 50 teste"),
        QStringLiteral("Texto de textarea."),
        QStringLiteral("Este é um teste do sistema de funcionamento do sistema "),
        QStringLiteral("TextArea.  Nesta região os códigos html são ignorados até a "),
        QStringLiteral("ocorrência do sinal &A* no início da linha."),
        QStringLiteral("Vamos ver se está tudo normal."),
        QStringLiteral("&A*"),
        QString(),
        QStringLiteral("&* login LOGIN"),
        QStringLiteral("&/ reset \"RESET\""),
        QStringLiteral("&"),
    };
}

TipsWindow::TipsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("tipsWindow"));
    setWindowTitle(QStringLiteral("Dicas para criar formulário"));

    textEdit = new QPlainTextEdit(this);
    textEdit->setObjectName(QStringLiteral("textEdit"));
    textEdit->setAccessibleName(QStringLiteral("Dicas para criar formulário"));
    // The sample lines up its columns with blanks.
    textEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Long lines wrap on screen rather than hide behind a horizontal scroll bar; the text's
    // own lines stay as they are.
    textEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textEdit->setPlainText(TipsLines().join(QLatin1Char('\n')));
    // Tab leaves the text for the button instead of typing a tab into the sample.
    textEdit->setTabChangesFocus(true);

    closeButton = NamedButton(this, "closeButton", QStringLiteral("Fechar"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textEdit, 1);
    layout->addLayout(buttons);

    resize(334, 625);

    connect(closeButton, &QPushButton::clicked, this, &TipsWindow::closeTips);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TipsWindow::closeTips);
}

void TipsWindow::Open() {
    if (!placed_ && parentWidget()) {
        // First showing: over the right edge of the main window, so that the text being
        // written stays in view beside the sample. Later showings keep where the user put it.
        placed_ = true;
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.right() - width() - 8, owner.top() + 60);
    }
    show();
    raise();
    activateWindow();
    textEdit->setFocus();
}

void TipsWindow::closeTips() { close(); }
