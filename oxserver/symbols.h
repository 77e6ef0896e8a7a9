#pragma once
// The ASCIIMath vocabulary: every spelling the tokenizer knows, what the parser does with it and
// the Brazilian Portuguese words that read it.
#include <cstdint>
#include <string_view>

namespace oxserver {

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
    AnguloEntre,
    AoCubo,
    AoQuadrado,
    Ate,
    Caso,
    Casos,
    ChaveCom,
    Com,
    CompostaCom,
    ConjuntoVazio,
    Dado,
    De,
    Denominador,
    Determinante,
    DoisPontos,
    E,
    Elementos,
    Em,
    ElevadaA,
    ElevadoA,
    Equacao,
    Equacoes,
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
    Inversa,
    LetraE,
    LetraO,
    Linha,
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
    PertencenteA,
    PisoDe,
    PontoEVirgula,
    Por,
    Quando,
    RaizDeIndice,
    RaizEnesima,
    RaizQuadradaDe,
    SistemaDe,
    Sobre,
    Sobrescrito,
    SobrescritoAEsquerda,
    Subscrito,
    SubscritoAEsquerda,
    TalQue,
    TetoDe,
    Tudo,
    Vetor,
    VetorColunaDe,
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

// Every ASCIIMath spelling known, for the fuzzing dictionary and tests.
std::string_view SymbolInput(std::size_t index);
std::size_t SymbolCount();

}  // namespace oxserver
