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
                               << QStringList{"a mais b menos c", "termo 1 de 3: a", "entre os termos 1 e 2: mais",
                                              "termo 2 de 3: b", "entre os termos 2 e 3: menos", "termo 3 de 3: c"};
        QTest::newRow("a sum, breve") << "a+b-c" << "breve" << true
                                      << QStringList{"a mais b menos c", "termo 1: a", "sinal: mais", "termo 2: b",
                                                     "sinal: menos", "termo 3: c"};
        QTest::newRow("an equation") << "x+1=-2y" << "normal" << true
                                     << QStringList{"x mais 1 igual a menos 2 y",
                                                    "primeiro membro, termo 1 de 2: x",
                                                    "primeiro membro, entre os termos 1 e 2: mais",
                                                    "primeiro membro, termo 2 de 2: 1",
                                                    "entre os membros 1 e 2: igual a",
                                                    "segundo membro, sinal: menos",
                                                    "segundo membro, fator 1 de 2: 2",
                                                    "segundo membro, fator 2 de 2: y"};
        QTest::newRow("an equation, breve") << "x+1=-2y" << "breve" << true
                                            << QStringList{"x mais 1 igual a menos 2 y", "membro 1, termo 1: x",
                                                           "membro 1, sinal: mais", "membro 1, termo 2: 1", "relação: igual a",
                                                           "membro 2, sinal: menos", "membro 2, fator 1: 2", "membro 2, fator 2: y"};
        QTest::newRow("a fraction") << "(a+b)/(2c)" << "normal" << true
                                    << QStringList{"fração, numerador a mais b, denominador 2 c, fim da fração",
                                                   "numerador: a mais b", "termo 1 de 2: a", "entre os termos 1 e 2: mais",
                                                   "termo 2 de 2: b", "denominador: 2 c", "fator 1 de 2: 2", "fator 2 de 2: c"};
        const QString group = QStringLiteral("abre parêntese a mais fração, numerador 1, denominador 2 b, fim da fração, "
                                             "parêntese sem fechamento");
        QTest::newRow("a bracket never closed")
            << "x=(a+1/(2b)" << "normal" << true
            << QStringList{"x igual a " + group, "primeiro membro: x", "entre os membros 1 e 2: igual a",
                           "segundo membro: " + group, "termo 1 de 2: a", "entre os termos 1 e 2: mais",
                           "termo 2 de 2: fração, numerador 1, denominador 2 b, fim da fração", "numerador: 1",
                           "denominador: 2 b", "fator 1 de 2: 2", "fator 2 de 2: b",
                           "erro de digitação: parêntese sem fechamento"};
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
