// The pieces of formulas as the exploration walks them, each said with its place: every piece
// of a sum, an equation and a fraction, at the levels of verbosity, and the slips of typing
// as pieces of their own.
#include <QTest>

#include "editor/speaking/formulapieces.h"

namespace {

// Every piece's spoken text, parents before children, each child list in order.
QStringList Walk(const std::vector<formulapieces::Piece>& pieces, std::int32_t at = 0) {
    QStringList said{pieces[static_cast<std::size_t>(at)].spoken()};
    for (std::int32_t c = pieces[static_cast<std::size_t>(at)].firstChild; c >= 0;
         c = pieces[static_cast<std::size_t>(c)].nextSibling) {
        if (pieces[static_cast<std::size_t>(c)].parent != at) return {QStringLiteral("bad parent")};
        said += Walk(pieces, c);
    }
    return said;
}

}  // namespace

class FormulaPiecesTest : public QObject {
    Q_OBJECT

private slots:
    void roles_data() {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("level");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QStringList>("walk");
        QTest::newRow("a sum") << "a+b-c" << "normal" << true
                               << QStringList{QStringLiteral("á mais b menos c"),
                QStringLiteral("termo 1 de 3: a"),
                QStringLiteral("termo 2 de 3: mais b"),
                QStringLiteral("termo 3 de 3: menos c")};
        QTest::newRow("a sum, breve") << "a+b-c" << "breve" << true
                                      << QStringList{QStringLiteral("á mais b menos c"),
                QStringLiteral("termo 1 de 3: a"),
                QStringLiteral("termo 2 de 3: mais b"),
                QStringLiteral("termo 3 de 3: menos c")};
        QTest::newRow("an equation") << "x+1=-2y" << "normal" << true
                                     << QStringList{QStringLiteral("x mais 1 igual a menos 2 y"),
                QStringLiteral("primeiro membro: x mais 1"),
                QStringLiteral("termo 1 de 2: x"),
                QStringLiteral("termo 2 de 2: mais 1"),
                QStringLiteral("sinal: igual a"),
                QStringLiteral("segundo membro: menos 2 y"),
                QStringLiteral("sinal: menos"),
                QStringLiteral("fator 1 de 2: 2"),
                QStringLiteral("fator 2 de 2: y")};
        QTest::newRow("an equation, breve") << "x+1=-2y" << "breve" << true
                                            << QStringList{QStringLiteral("x mais 1 igual a menos 2 y"),
                QStringLiteral("primeiro membro: x mais 1"),
                QStringLiteral("termo 1 de 2: x"),
                QStringLiteral("termo 2 de 2: mais 1"),
                QStringLiteral("sinal: igual a"),
                QStringLiteral("segundo membro: menos 2 y"),
                QStringLiteral("sinal: menos"),
                QStringLiteral("fator 1: 2"),
                QStringLiteral("fator 2: y")};
        QTest::newRow("a fraction") << "(a+b)/(2c)" << "normal" << true
                                    << QStringList{QStringLiteral("fração, numerador á mais b, denominador 2 c, fim da fração"),
                QStringLiteral("numerador: á mais b"),
                QStringLiteral("termo 1 de 2: a"),
                QStringLiteral("termo 2 de 2: mais b"),
                QStringLiteral("denominador: 2 c"),
                QStringLiteral("fator 1 de 2: 2"),
                QStringLiteral("fator 2 de 2: c")};
        QTest::newRow("a bracket never closed")
            << "x=(a+1/(2b)" << "normal" << true
            << QStringList{QStringLiteral("x igual a abre parêntese sem fechamento, á mais fração, numerador 1, denominador 2 b, fim da fração"),
                QStringLiteral("primeiro membro: x"),
                QStringLiteral("sinal: igual a"),
                QStringLiteral("segundo membro: abre parêntese sem fechamento, á mais fração, numerador 1, denominador 2 b, fim da fração"),
                QStringLiteral("termo 1 de 2: a"),
                QStringLiteral("termo 2 de 2: mais fração, numerador 1, denominador 2 b, fim da fração"),
                QStringLiteral("sinal: mais"),
                QStringLiteral("termo: fração, numerador 1, denominador 2 b, fim da fração"),
                QStringLiteral("numerador: 1"),
                QStringLiteral("denominador: 2 b"),
                QStringLiteral("fator 1 de 2: 2"),
                QStringLiteral("fator 2 de 2: b"),
                QStringLiteral("erro de digitação: parêntese sem fechamento")};
        QTest::newRow("an empty denominator")
            << "frac{1}{}" << "breve" << true
            << QStringList{"fração, numerador 1, denominador, denominador vazio", "numerador: 1",
                           "erro de digitação: denominador vazio"};
        QTest::newRow("a backquote left open")
            << "1/x" << "normal" << false
            << QStringList{"1 sobre x, fórmula sem crase de fechamento", "numerador: 1", "denominador: x",
                           "erro de digitação: fórmula sem crase de fechamento"};
    }
    void roles() {
        QFETCH(QString, formula);
        QFETCH(QString, level);
        QFETCH(bool, closed);
        QFETCH(QStringList, walk);
        reader::Verbosity verbosity{};
        QVERIFY(reader::ParseVerbosity(level.toStdString(), verbosity));
        const QStringList said = Walk(formulapieces::Pieces(formula, verbosity, closed));
        QCOMPARE(said, walk);
    }
};

QTEST_MAIN(FormulaPiecesTest)
#include "formulapieces_test.moc"
