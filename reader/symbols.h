#pragma once
// The ASCIIMath vocabulary: every spelling the tokenizer knows, what the parser does with it and
// the Brazilian Portuguese words that read it.
#include <cstdint>
#include <string>
#include <string_view>

namespace reader {

// How the parser treats a symbol.
enum class SymbolKind : std::uint8_t {
    Constant,      // a thing read by its words: letters of the Greek alphabet, "oo", "RR", "..."
    Operator,      // stands between operands: "+", "xx", "uu", "^^"
    Relation,      // "=", "<=", "in", "sub", "hArr"
    LeftBracket,   // "(", "[", "{", "(:", "{:", "|__", "|~"
    RightBracket,  // ")", "]", "}", ":)", ":}", "__|", "~|"
    Bar,           // "|": opens or closes an absolute value
    DoubleBar,     // "||": opens or closes a norm
    Unary,         // takes one argument: "sqrt", "vec", "abs", "bb"
    Binary,        // takes two arguments: "frac", "root", "overset", "color"
    Function,      // "sin", "log", "f": takes the next item as its argument
    BigOperator,   // "sum", "prod", "int", "lim": limits below and above, then a body
    Slash,         // "/": a fraction of the items on either side
    Subscript,     // "_"
    Superscript,   // "^"
    Text,          // "text(...)", "mbox(...)" and "..." in double quotes
    Space,         // "quad", "\ ": silent
};

// The symbols that the reader does not read by their words alone.
enum class Role : std::uint8_t {
    None,
    // unary
    Sqrt, Abs, Norm, Floor, Ceil, Vec, PostfixAccent, PrefixAccent, Font, DoubleStruck,
    // binary
    Frac, Root, Over, Under, Color,
    // big operators
    Sum, Prod, Integral, Limit,
    // functions
    Log,
    // brackets
    Paren, Square, Brace, Angle, Invisible, FloorBracket, CeilBracket,
    // leaves read by context
    Plus, Minus, Comma, Dot, Colon, Semicolon, Prime, Factorial, Forall, Exists, In, Tends,
    Caret, Escaped, Letter,
};

enum SymbolFlag : std::uint8_t {
    kArticle = 1,      // a noun taking the article "o" after a preposition: "pertence ao conjunto..."
    kFeminine = 2,     // "tangente elevada a", not "elevado a"
    kBeforeParen = 4,  // only a symbol when "(" follows ("Re(z)"), otherwise plain letters
};

struct Symbol {
    std::string_view input;  // the ASCIIMath spelling
    SymbolKind kind;
    Role role;
    std::string_view words;  // the reading; for brackets the opening or closing words
    std::uint8_t flags = 0;
};

// The longest symbol spelled at the start of `text`, or nullptr. `text` is UTF-8.
const Symbol* MatchSymbol(std::string_view text);

// The symbol for one character that has no entry of its own (an ASCII sign such as "#", or a
// non-ASCII sign such as "º"), or nullptr.
const Symbol* CharacterSymbol(char32_t cp);

// The fixed words of the reading that belong to no one symbol ("fim da raiz", "numerador").
// Their texts are data, in the phrase table beside the symbol table; the names say the words.
enum class Phrase : std::uint8_t {
    A,
    Angulo,
    AnguloEntre,
    AoCubo,
    AoQuadrado,
    ArranjoDe,
    Ate,
    BinomialDe,
    Caso,
    Casos,
    Centavo,
    Centavos,
    ChaveCom,
    Com,
    ComRepeticaoDe,
    CombinacaoDe,
    CompostaCom,
    ConjuntoVazio,
    Dado,
    De,
    Denominador,
    Derivada,
    DerivadaDeOrdem,
    DerivadaEnesimaDe,
    DerivadaParcial,
    Determinante,
    DizimaPeriodica,
    DoisPontos,
    DuasLinhas,
    E,
    EAbertoEm,
    EFechadoEm,
    Elementos,
    ElevadaA,
    ElevadoA,
    Em,
    EmRelacaoA,
    Equacao,
    Equacoes,
    Escalar,
    FimDaBase,
    FimDaFracao,
    FimDaMatriz,
    FimDaNorma,
    FimDaRaiz,
    FimDoArco,
    FimDoDeterminante,
    FimDoExpoente,
    FimDoIndice,
    FimDoLimite,
    FimDoModulo,
    FimDoPiso,
    FimDoProdutorio,
    FimDoSistema,
    FimDoSomatorio,
    FimDoTeto,
    FimDoVetor,
    FimDosCasos,
    Fracao,
    Graus,
    Indice,
    IntervaloAbertoDe,
    IntervaloAbertoEm,
    IntervaloFechadoDe,
    IntervaloFechadoEm,
    Inversa,
    LetraE,
    LetraO,
    Linha,
    Linhas,
    LogaritmoNaBase,
    Maiusculo,
    Matriz,
    ModuloDe,
    NaoNulos,
    NormaDe,
    Numerador,
    Numero,
    Para,
    PelaDireita,
    PelaEsquerda,
    Periodo,
    PermutacaoDe,
    PertencenteA,
    PisoDe,
    PontoEVirgula,
    Por,
    Quando,
    RaizDeIndice,
    RaizEnesima,
    RaizQuadradaDe,
    Reais,
    Real,
    Segmento,
    SistemaDe,
    Sobre,
    Sobrescrito,
    SobrescritoAEsquerda,
    Subscrito,
    SubscritoAEsquerda,
    TalQue,
    TetoDe,
    Transposta,
    TresLinhas,
    Tudo,
    Vetor,
    VetorColunaDe,
    Vetorial,
    Vezes,
    Virgula,
    Count
};
std::string_view Say(Phrase phrase);

// "primeira", "segunda"... for n from 1 to 10; empty past them.
std::string_view OrdinalWord(std::size_t n);

// "meio" or "meios", "terço" or "terços"... for a denominator from 2 to 10.
std::string_view DenominatorWord(int denominator, bool plural);

// "raiz quadrada", "raiz cúbica"... for an index from 2 to 10.
std::string_view RootName(int index);

// The words around an accent over more than one symbol: "barra sobre" ... "fim da barra".
struct AccentWords {
    std::string_view before, end;
};
AccentWords AccentPhrases(std::string_view input);

// A number as Brazilians write it, at the start of `text`: digits with a dot between groups of
// three ("4.500.000"), a decimal comma or point ("3.250,75", "2.5"), and a repeating part, in
// brackets after the decimals ("1,2(3)" for 1,2 with a bar over the 3) or shown by three dots
// after them ("0,666..."). `length` 0: no number there.
struct NumberMatch {
    std::size_t length = 0;
    std::string_view integer;  // the digits, with the dots of "4.500.000" still in
    std::string_view decimals;  // after the comma, without the repeating part
    std::string_view period;    // the repeating part; empty for a number that ends
};
NumberMatch MatchNumber(std::string_view text);

// A unit of measure at the start of `text`, as the reader spells what follows a number: "km",
// "m^2" (or "m²"), "km/h", "m/s^2", "°C". Only whole units: "m" in "mx" is none. `words`
// holds the reading, in the plural or the singular: "quilômetros por hora", "metro quadrado".
struct UnitMatch {
    std::size_t length = 0;  // 0: no unit there
    std::string words;
    bool oneLetter = false;  // a single letter ("m", "s", "h"), perhaps with a power
};
UnitMatch MatchUnit(std::string_view text, bool plural);

// Every ASCIIMath spelling known, for the fuzzing dictionary and tests.
std::string_view SymbolInput(std::size_t index);
std::size_t SymbolCount();

}  // namespace reader
