#include "reader/symbols.h"

#include <algorithm>
#include <array>
#include <vector>

namespace reader {
namespace {

using K = SymbolKind;
using R = Role;

// The ASCIIMath symbol table with its readings. Where a symbol has a LaTeX-style alias, both
// spellings are listed. A few Portuguese spellings of functions ("sen", "tg") are added because
// Brazilian authors write them.
constexpr Symbol kSymbols[] = {
    // Greek letters
    {"alpha", K::Constant, R::None, "alfa"},
    {"beta", K::Constant, R::None, "beta"},
    {"chi", K::Constant, R::None, "qui"},
    {"delta", K::Constant, R::None, "delta"},
    {"Delta", K::Constant, R::None, "delta maiúsculo"},
    {"epsilon", K::Constant, R::None, "épsilon"},
    {"epsi", K::Constant, R::None, "épsilon"},
    {"varepsilon", K::Constant, R::None, "épsilon"},
    {"eta", K::Constant, R::None, "eta"},
    {"gamma", K::Constant, R::None, "gama"},
    {"Gamma", K::Constant, R::None, "gama maiúsculo"},
    {"iota", K::Constant, R::None, "iota"},
    {"kappa", K::Constant, R::None, "capa"},
    {"lambda", K::Constant, R::None, "lambda"},
    {"Lambda", K::Constant, R::None, "lambda maiúsculo"},
    {"lamda", K::Constant, R::None, "lambda"},
    {"Lamda", K::Constant, R::None, "lambda maiúsculo"},
    {"mu", K::Constant, R::None, "mi"},
    {"nu", K::Constant, R::None, "ni"},
    {"omega", K::Constant, R::None, "ômega"},
    {"Omega", K::Constant, R::None, "ômega maiúsculo"},
    {"phi", K::Constant, R::None, "fi"},
    {"varphi", K::Constant, R::None, "fi"},
    {"Phi", K::Constant, R::None, "fi maiúsculo"},
    {"pi", K::Constant, R::None, "pi"},
    {"Pi", K::Constant, R::None, "pi maiúsculo"},
    {"psi", K::Constant, R::None, "psi"},
    {"Psi", K::Constant, R::None, "psi maiúsculo"},
    {"rho", K::Constant, R::None, "rô"},
    {"sigma", K::Constant, R::None, "sigma"},
    {"Sigma", K::Constant, R::None, "sigma maiúsculo"},
    {"tau", K::Constant, R::None, "tau"},
    {"theta", K::Constant, R::None, "teta"},
    {"vartheta", K::Constant, R::None, "teta"},
    {"Theta", K::Constant, R::None, "teta maiúsculo"},
    {"upsilon", K::Constant, R::None, "ípsilon"},
    {"xi", K::Constant, R::None, "csi"},
    {"Xi", K::Constant, R::None, "csi maiúsculo"},
    {"zeta", K::Constant, R::None, "zeta"},

    // operation symbols
    {"+", K::Operator, R::Plus, "mais"},
    {"-", K::Operator, R::Minus, "menos"},
    {"*", K::Operator, R::None, "vezes"},
    {"cdot", K::Operator, R::None, "vezes"},
    {"**", K::Operator, R::None, "asterisco"},
    {"ast", K::Operator, R::None, "asterisco"},
    {"***", K::Operator, R::None, "estrela"},
    {"star", K::Operator, R::None, "estrela"},
    {"//", K::Operator, R::None, "barra"},
    {"\\\\", K::Operator, R::None, "menos"},
    {"backslash", K::Operator, R::None, "barra invertida"},
    {"setminus", K::Operator, R::None, "menos"},
    {"xx", K::Operator, R::None, "vezes"},
    {"times", K::Operator, R::None, "vezes"},
    {"|><", K::Operator, R::None, "produto semidireto"},
    {"ltimes", K::Operator, R::None, "produto semidireto"},
    {"><|", K::Operator, R::None, "produto semidireto"},
    {"rtimes", K::Operator, R::None, "produto semidireto"},
    {"|><|", K::Operator, R::None, "junção natural"},
    {"bowtie", K::Operator, R::None, "junção natural"},
    {"-:", K::Operator, R::None, "dividido por"},
    {"div", K::Operator, R::None, "dividido por"},
    {"divide", K::Operator, R::None, "dividido por"},
    {"@", K::Operator, R::None, "composta com"},
    {"circ", K::Operator, R::None, "composta com"},
    {"o+", K::Operator, R::None, "soma direta"},
    {"oplus", K::Operator, R::None, "soma direta"},
    {"ox", K::Operator, R::None, "produto tensorial"},
    {"otimes", K::Operator, R::None, "produto tensorial"},
    {"o.", K::Operator, R::None, "ponto circulado"},
    {"odot", K::Operator, R::None, "ponto circulado"},
    {"^^", K::Operator, R::None, "e"},
    {"wedge", K::Operator, R::None, "e"},
    {"^^^", K::Operator, R::None, "e"},
    {"bigwedge", K::Operator, R::None, "e"},
    {"vv", K::Operator, R::None, "ou"},
    {"vee", K::Operator, R::None, "ou"},
    {"vvv", K::Operator, R::None, "ou"},
    {"bigvee", K::Operator, R::None, "ou"},
    {"nn", K::Operator, R::None, "interseção"},
    {"cap", K::Operator, R::None, "interseção"},
    {"nnn", K::Operator, R::None, "interseção"},
    {"bigcap", K::Operator, R::None, "interseção"},
    {"uu", K::Operator, R::None, "união"},
    {"cup", K::Operator, R::None, "união"},
    {"uuu", K::Operator, R::None, "união"},
    {"bigcup", K::Operator, R::None, "união"},
    {"+-", K::Operator, R::None, "mais ou menos"},
    {"pm", K::Operator, R::None, "mais ou menos"},
    {"-+", K::Operator, R::None, "menos ou mais"},
    {"mp", K::Operator, R::None, "menos ou mais"},
    {"mod", K::Operator, R::None, "módulo"},
    {"and", K::Operator, R::None, "e"},
    {"or", K::Operator, R::None, "ou"},
    {"if", K::Operator, R::None, "se"},

    // big operators
    {"sum", K::BigOperator, R::Sum, "somatório"},
    {"prod", K::BigOperator, R::Prod, "produtório"},
    {"int", K::BigOperator, R::Integral, "integral"},
    {"oint", K::BigOperator, R::Integral, "integral de linha fechada"},
    {"lim", K::BigOperator, R::Limit, "limite"},
    {"Lim", K::BigOperator, R::Limit, "limite"},

    // relations
    {"=", K::Relation, R::None, "igual a"},
    {"!=", K::Relation, R::None, "diferente de"},
    {"ne", K::Relation, R::None, "diferente de"},
    {"<", K::Relation, R::None, "menor que"},
    {"lt", K::Relation, R::None, "menor que"},
    {">", K::Relation, R::None, "maior que"},
    {"gt", K::Relation, R::None, "maior que"},
    {"<=", K::Relation, R::None, "menor ou igual a"},
    {"le", K::Relation, R::None, "menor ou igual a"},
    {"leq", K::Relation, R::None, "menor ou igual a"},
    {"lt=", K::Relation, R::None, "menor ou igual a"},
    {">=", K::Relation, R::None, "maior ou igual a"},
    {"ge", K::Relation, R::None, "maior ou igual a"},
    {"geq", K::Relation, R::None, "maior ou igual a"},
    {"gt=", K::Relation, R::None, "maior ou igual a"},
    {"mlt", K::Relation, R::None, "muito menor que"},
    {"ll", K::Relation, R::None, "muito menor que"},
    {"mgt", K::Relation, R::None, "muito maior que"},
    {"gg", K::Relation, R::None, "muito maior que"},
    {"-<", K::Relation, R::None, "precede"},
    {"prec", K::Relation, R::None, "precede"},
    {"-<=", K::Relation, R::None, "precede ou igual a"},
    {"preceq", K::Relation, R::None, "precede ou igual a"},
    {">-", K::Relation, R::None, "sucede"},
    {"succ", K::Relation, R::None, "sucede"},
    {">-=", K::Relation, R::None, "sucede ou igual a"},
    {"succeq", K::Relation, R::None, "sucede ou igual a"},
    {"in", K::Relation, R::In, "pertence a"},
    {"!in", K::Relation, R::None, "não pertence a"},
    {"notin", K::Relation, R::None, "não pertence a"},
    {"sub", K::Relation, R::None, "está contido em"},
    {"subset", K::Relation, R::None, "está contido em"},
    {"sup", K::Relation, R::None, "contém"},
    {"supset", K::Relation, R::None, "contém"},
    {"sube", K::Relation, R::None, "está contido ou é igual a"},
    {"subseteq", K::Relation, R::None, "está contido ou é igual a"},
    {"supe", K::Relation, R::None, "contém ou é igual a"},
    {"supseteq", K::Relation, R::None, "contém ou é igual a"},
    {"!sub", K::Relation, R::None, "não está contido em"},
    {"!sup", K::Relation, R::None, "não contém"},
    {"!sube", K::Relation, R::None, "não está contido nem é igual a"},
    {"!supe", K::Relation, R::None, "não contém nem é igual a"},
    {"-=", K::Relation, R::None, "idêntico a"},
    {"equiv", K::Relation, R::None, "idêntico a"},
    {"~=", K::Relation, R::None, "congruente a"},
    {"cong", K::Relation, R::None, "congruente a"},
    {"~~", K::Relation, R::None, "aproximadamente igual a"},
    {"approx", K::Relation, R::None, "aproximadamente igual a"},
    {"prop", K::Relation, R::None, "proporcional a"},
    {"propto", K::Relation, R::None, "proporcional a"},
    {"_|_", K::Relation, R::None, "perpendicular a"},
    {"bot", K::Relation, R::None, "perpendicular a"},
    {"|--", K::Relation, R::None, "deduz"},
    {"vdash", K::Relation, R::None, "deduz"},
    {"|==", K::Relation, R::None, "satisfaz"},
    {"models", K::Relation, R::None, "satisfaz"},

    // logic
    {"not", K::Constant, R::None, "não"},
    {"neg", K::Constant, R::None, "não"},
    {"~", K::Constant, R::None, "não"},
    {"=>", K::Relation, R::None, "implica"},
    {"implies", K::Relation, R::None, "implica"},
    {"<=>", K::Relation, R::None, "se e somente se"},
    {"iff", K::Relation, R::None, "se e somente se"},
    {"AA", K::Constant, R::Forall, "para todo"},
    {"forall", K::Constant, R::Forall, "para todo"},
    {"EE", K::Constant, R::Exists, "existe"},
    {"exists", K::Constant, R::Exists, "existe"},
    {"TT", K::Constant, R::None, "verdadeiro"},
    {"top", K::Constant, R::None, "verdadeiro"},

    // arrows
    {"uarr", K::Relation, R::None, "seta para cima"},
    {"uparrow", K::Relation, R::None, "seta para cima"},
    {"darr", K::Relation, R::None, "seta para baixo"},
    {"downarrow", K::Relation, R::None, "seta para baixo"},
    {"rarr", K::Relation, R::None, "seta para a direita"},
    {"rightarrow", K::Relation, R::None, "seta para a direita"},
    {"->", K::Relation, R::Tends, "tende a"},
    {"to", K::Relation, R::Tends, "tende a"},
    {">->", K::Relation, R::None, "seta injetiva para"},
    {"rightarrowtail", K::Relation, R::None, "seta injetiva para"},
    {"->>", K::Relation, R::None, "seta sobrejetiva para"},
    {"twoheadrightarrow", K::Relation, R::None, "seta sobrejetiva para"},
    {">->>", K::Relation, R::None, "seta bijetiva para"},
    {"twoheadrightarrowtail", K::Relation, R::None, "seta bijetiva para"},
    {"|->", K::Relation, R::None, "é levado em"},
    {"mapsto", K::Relation, R::None, "é levado em"},
    {"larr", K::Relation, R::None, "seta para a esquerda"},
    {"leftarrow", K::Relation, R::None, "seta para a esquerda"},
    {"harr", K::Relation, R::None, "seta dupla"},
    {"leftrightarrow", K::Relation, R::None, "seta dupla"},
    {"rArr", K::Relation, R::None, "implica"},
    {"Rightarrow", K::Relation, R::None, "implica"},
    {"lArr", K::Relation, R::None, "é implicado por"},
    {"Leftarrow", K::Relation, R::None, "é implicado por"},
    {"hArr", K::Relation, R::None, "se e somente se"},
    {"Leftrightarrow", K::Relation, R::None, "se e somente se"},

    // miscellaneous symbols
    {"oo", K::Constant, R::None, "infinito"},
    {"infty", K::Constant, R::None, "infinito"},
    {"aleph", K::Constant, R::None, "álefe"},
    {"O/", K::Constant, R::None, "conjunto vazio", kArticle},
    {"emptyset", K::Constant, R::None, "conjunto vazio", kArticle},
    {":.", K::Constant, R::None, "portanto"},
    {"therefore", K::Constant, R::None, "portanto"},
    {":'", K::Constant, R::None, "porque"},
    {"because", K::Constant, R::None, "porque"},
    {"...", K::Constant, R::None, "reticências"},
    {"ldots", K::Constant, R::None, "reticências"},
    {"cdots", K::Constant, R::None, "reticências"},
    {"vdots", K::Constant, R::None, "reticências verticais"},
    {"ddots", K::Constant, R::None, "reticências diagonais"},
    {"/_", K::Constant, R::None, "ângulo"},
    {"angle", K::Constant, R::None, "ângulo"},
    {"frown", K::Constant, R::None, "arco"},
    {"/_\\", K::Constant, R::None, "triângulo"},
    {"triangle", K::Constant, R::None, "triângulo"},
    {"diamond", K::Constant, R::None, "losango"},
    {"square", K::Constant, R::None, "quadrado"},
    {"del", K::Constant, R::None, "d parcial"},
    {"partial", K::Constant, R::None, "d parcial"},
    {"grad", K::Constant, R::None, "gradiente"},
    {"nabla", K::Constant, R::None, "nabla"},
    {"CC", K::Constant, R::None, "conjunto dos números complexos", kArticle},
    {"NN", K::Constant, R::None, "conjunto dos números naturais", kArticle},
    {"QQ", K::Constant, R::None, "conjunto dos números racionais", kArticle},
    {"RR", K::Constant, R::None, "conjunto dos números reais", kArticle},
    {"ZZ", K::Constant, R::None, "conjunto dos números inteiros", kArticle},
    {"dx", K::Constant, R::None, "d x"},
    {"dy", K::Constant, R::None, "d y"},
    {"dz", K::Constant, R::None, "d z"},
    {"dt", K::Constant, R::None, "d t"},
    {"'", K::Constant, R::Prime, "linha"},
    {"prime", K::Constant, R::Prime, "linha"},
    {"!", K::Constant, R::Factorial, "fatorial"},
    {",", K::Constant, R::Comma, ","},
    {".", K::Constant, R::Dot, "ponto"},
    {":", K::Constant, R::Colon, "dois pontos"},
    {";", K::Constant, R::Semicolon, ";"},
    {"quad", K::Space, R::None, ""},
    {"qquad", K::Space, R::None, ""},
    {"\\ ", K::Space, R::None, ""},

    // brackets
    {"(", K::LeftBracket, R::Paren, "abre parêntese"},
    {")", K::RightBracket, R::Paren, "fecha parêntese"},
    {"[", K::LeftBracket, R::Square, "abre colchete"},
    {"]", K::RightBracket, R::Square, "fecha colchete"},
    {"{", K::LeftBracket, R::Brace, "abre chave"},
    {"}", K::RightBracket, R::Brace, "fecha chave"},
    {"(:", K::LeftBracket, R::Angle, "abre ângulo"},
    {":)", K::RightBracket, R::Angle, "fecha ângulo"},
    {"<<", K::LeftBracket, R::Angle, "abre ângulo"},
    {">>", K::RightBracket, R::Angle, "fecha ângulo"},
    {"langle", K::LeftBracket, R::Angle, "abre ângulo"},
    {"rangle", K::RightBracket, R::Angle, "fecha ângulo"},
    {"{:", K::LeftBracket, R::Invisible, ""},
    {":}", K::RightBracket, R::Invisible, ""},
    {"|__", K::LeftBracket, R::FloorBracket, "piso de"},
    {"lfloor", K::LeftBracket, R::FloorBracket, "piso de"},
    {"__|", K::RightBracket, R::FloorBracket, "fim do piso"},
    {"rfloor", K::RightBracket, R::FloorBracket, "fim do piso"},
    {"|~", K::LeftBracket, R::CeilBracket, "teto de"},
    {"lceil", K::LeftBracket, R::CeilBracket, "teto de"},
    {"~|", K::RightBracket, R::CeilBracket, "fim do teto"},
    {"rceil", K::RightBracket, R::CeilBracket, "fim do teto"},
    {"|", K::Bar, R::None, "barra vertical"},
    {"||", K::DoubleBar, R::None, "barra dupla"},

    // unary
    {"sqrt", K::Unary, R::Sqrt, "raiz quadrada"},
    {"abs", K::Unary, R::Abs, "módulo"},
    {"norm", K::Unary, R::Norm, "norma"},
    {"floor", K::Unary, R::Floor, "piso"},
    {"ceil", K::Unary, R::Ceil, "teto"},
    {"hat", K::Unary, R::PostfixAccent, "chapéu"},
    {"bar", K::Unary, R::PostfixAccent, "barra"},
    {"overline", K::Unary, R::PostfixAccent, "barra"},
    {"ul", K::Unary, R::PostfixAccent, "sublinhado"},
    {"underline", K::Unary, R::PostfixAccent, "sublinhado"},
    {"vec", K::Unary, R::Vec, "vetor"},
    {"dot", K::Unary, R::PostfixAccent, "ponto"},
    {"ddot", K::Unary, R::PostfixAccent, "dois pontos"},
    {"tilde", K::Unary, R::PostfixAccent, "til"},
    {"overarc", K::Unary, R::PrefixAccent, "arco"},
    {"overparen", K::Unary, R::PrefixAccent, "arco"},
    {"ubrace", K::Unary, R::PostfixAccent, "com chave embaixo"},
    {"underbrace", K::Unary, R::PostfixAccent, "com chave embaixo"},
    {"obrace", K::Unary, R::PostfixAccent, "com chave em cima"},
    {"overbrace", K::Unary, R::PostfixAccent, "com chave em cima"},
    {"cancel", K::Unary, R::PostfixAccent, "cancelado"},
    {"bb", K::Unary, R::Font, "em negrito"},
    {"mathbf", K::Unary, R::Font, "em negrito"},
    {"bbb", K::Unary, R::DoubleStruck, "de traço duplo"},
    {"mathbb", K::Unary, R::DoubleStruck, "de traço duplo"},
    {"cc", K::Unary, R::Font, "caligráfico"},
    {"mathcal", K::Unary, R::Font, "caligráfico"},
    {"tt", K::Unary, R::Font, "monoespaçado"},
    {"mathtt", K::Unary, R::Font, "monoespaçado"},
    {"fr", K::Unary, R::Font, "gótico"},
    {"mathfrak", K::Unary, R::Font, "gótico"},
    {"sf", K::Unary, R::Font, "sem serifa"},
    {"mathsf", K::Unary, R::Font, "sem serifa"},
    {"text", K::Text, R::None, ""},
    {"mbox", K::Text, R::None, ""},

    // binary
    {"frac", K::Binary, R::Frac, "fração"},
    {"root", K::Binary, R::Root, "raiz"},
    {"stackrel", K::Binary, R::Over, "em cima"},
    {"overset", K::Binary, R::Over, "em cima"},
    {"underset", K::Binary, R::Under, "embaixo"},
    {"color", K::Binary, R::Color, ""},

    // fractions and scripts
    {"/", K::Slash, R::None, "dividido por"},
    {"_", K::Subscript, R::None, "traço baixo"},
    {"^", K::Superscript, R::Caret, "circunflexo"},

    // functions
    {"sin", K::Function, R::None, "seno"},
    {"sen", K::Function, R::None, "seno"},
    {"cos", K::Function, R::None, "cosseno"},
    {"tan", K::Function, R::None, "tangente", kFeminine},
    {"tg", K::Function, R::None, "tangente", kFeminine},
    {"sec", K::Function, R::None, "secante", kFeminine},
    {"csc", K::Function, R::None, "cossecante", kFeminine},
    {"cossec", K::Function, R::None, "cossecante", kFeminine},
    {"cot", K::Function, R::None, "cotangente", kFeminine},
    {"cotg", K::Function, R::None, "cotangente", kFeminine},
    {"arcsin", K::Function, R::None, "arco seno"},
    {"arcsen", K::Function, R::None, "arco seno"},
    {"arccos", K::Function, R::None, "arco cosseno"},
    {"arctan", K::Function, R::None, "arco tangente"},
    {"arctg", K::Function, R::None, "arco tangente"},
    {"sinh", K::Function, R::None, "seno hiperbólico"},
    {"senh", K::Function, R::None, "seno hiperbólico"},
    {"cosh", K::Function, R::None, "cosseno hiperbólico"},
    {"tanh", K::Function, R::None, "tangente hiperbólica", kFeminine},
    {"sech", K::Function, R::None, "secante hiperbólica", kFeminine},
    {"csch", K::Function, R::None, "cossecante hiperbólica", kFeminine},
    {"coth", K::Function, R::None, "cotangente hiperbólica", kFeminine},
    {"exp", K::Function, R::None, "exponencial", kFeminine},
    {"log", K::Function, R::Log, "logaritmo"},
    {"ln", K::Function, R::None, "logaritmo natural"},
    {"det", K::Function, R::None, "determinante"},
    {"dim", K::Function, R::None, "dimensão", kFeminine},
    {"gcd", K::Function, R::None, "máximo divisor comum"},
    {"mdc", K::Function, R::None, "máximo divisor comum", kBeforeParen},
    {"lcm", K::Function, R::None, "mínimo múltiplo comum"},
    {"mmc", K::Function, R::None, "mínimo múltiplo comum", kBeforeParen},
    {"lub", K::Function, R::None, "supremo"},
    {"glb", K::Function, R::None, "ínfimo"},
    {"min", K::Function, R::None, "mínimo"},
    {"max", K::Function, R::None, "máximo"},
    {"arg", K::Function, R::None, "argumento"},
    {"Re", K::Function, R::None, "parte real", kFeminine | kBeforeParen},
    {"Im", K::Function, R::None, "parte imaginária", kFeminine | kBeforeParen},
    {"f", K::Function, R::Letter, "f"},
    {"g", K::Function, R::Letter, "g"},
};

// Signs met in documents that ASCIIMath has no name for.
struct CharacterEntry {
    char32_t cp;
    Symbol symbol;
};
constexpr CharacterEntry kCharacters[] = {
    {U'#', {"#", K::Constant, R::None, "cerquilha"}},
    {U'$', {"$", K::Constant, R::None, "cifrão"}},
    {U'%', {"%", K::Constant, R::None, "por cento"}},
    {U'&', {"&", K::Constant, R::None, "e comercial"}},
    {U'?', {"?", K::Constant, R::None, "interrogação"}},
    {U'`', {"`", K::Constant, R::None, "crase"}},
    {U'\\', {"\\", K::Constant, R::None, "barra invertida"}},
    {U'"', {"\"", K::Constant, R::None, "aspas"}},
    {U'º', {"º", K::Constant, R::None, "graus"}},
    {U'°', {"°", K::Constant, R::None, "graus"}},
    {U'ª', {"ª", K::Constant, R::None, "ordinal"}},
    {U'¹', {"¹", K::Constant, R::None, "elevado a 1"}},
    {U'²', {"²", K::Constant, R::None, "ao quadrado"}},
    {U'³', {"³", K::Constant, R::None, "ao cubo"}},
    {U'½', {"½", K::Constant, R::None, "1 meio"}},
    {U'¼', {"¼", K::Constant, R::None, "1 quarto"}},
    {U'¾', {"¾", K::Constant, R::None, "3 quartos"}},
    {U'×', {"×", K::Operator, R::None, "vezes"}},
    {U'·', {"·", K::Operator, R::None, "vezes"}},
    {U'÷', {"÷", K::Operator, R::None, "dividido por"}},
    {U'±', {"±", K::Operator, R::None, "mais ou menos"}},
    {U'−', {"−", K::Operator, R::Minus, "menos"}},
    {U'≤', {"≤", K::Relation, R::None, "menor ou igual a"}},
    {U'≥', {"≥", K::Relation, R::None, "maior ou igual a"}},
    {U'≠', {"≠", K::Relation, R::None, "diferente de"}},
    {U'≈', {"≈", K::Relation, R::None, "aproximadamente igual a"}},
    {U'∞', {"∞", K::Constant, R::None, "infinito"}},
    {U'π', {"π", K::Constant, R::None, "pi"}},
    {U'√', {"√", K::Unary, R::Sqrt, "raiz quadrada"}},
    {U'…', {"…", K::Constant, R::None, "reticências"}},
    {U'€', {"€", K::Constant, R::None, "euros"}},
    {U'§', {"§", K::Constant, R::None, "parágrafo"}},
    {U'µ', {"µ", K::Constant, R::None, "mi"}},
    {U'–', {"–", K::Operator, R::Minus, "menos"}},  // the dash word processors put for minus
    {U'—', {"—", K::Constant, R::None, "travessão"}},
};

// Signs written as characters that ASCIIMath spells with letters; they read as the spelling
// does. A document holds them as numeric references ("&#8712;"), which the page shows as the
// characters themselves.
struct CharacterAlias {
    char32_t cp;
    std::string_view spelling;
};
constexpr CharacterAlias kAliases[] = {
    {U'α', "alpha"}, {U'β', "beta"}, {U'γ', "gamma"}, {U'δ', "delta"}, {U'ε', "epsilon"},
    {U'ζ', "zeta"}, {U'η', "eta"}, {U'θ', "theta"}, {U'ι', "iota"}, {U'κ', "kappa"},
    {U'λ', "lambda"}, {U'μ', "mu"}, {U'ν', "nu"}, {U'ξ', "xi"}, {U'ρ', "rho"},
    {U'σ', "sigma"}, {U'ς', "sigma"}, {U'τ', "tau"}, {U'υ', "upsilon"}, {U'φ', "phi"},
    {U'χ', "chi"}, {U'ψ', "psi"}, {U'ω', "omega"}, {U'Γ', "Gamma"}, {U'Δ', "Delta"},
    {U'∆', "Delta"}, {U'Θ', "Theta"}, {U'Λ', "Lambda"}, {U'Ξ', "Xi"}, {U'Π', "Pi"},
    {U'Σ', "Sigma"}, {U'Φ', "Phi"}, {U'Ψ', "Psi"}, {U'Ω', "Omega"},
    {U'∈', "in"}, {U'∉', "!in"}, {U'⊂', "sub"}, {U'⊃', "sup"}, {U'⊆', "sube"}, {U'⊇', "supe"},
    {U'∪', "uu"}, {U'∩', "nn"}, {U'∅', "O/"}, {U'∀', "AA"}, {U'∃', "EE"}, {U'¬', "neg"},
    {U'∧', "^^"}, {U'∨', "vv"}, {U'→', "->"}, {U'⇒', "=>"}, {U'⇔', "<=>"}, {U'≡', "-="},
    {U'≅', "~="}, {U'∑', "sum"}, {U'∏', "prod"}, {U'∫', "int"}, {U'∂', "del"}, {U'∇', "nabla"},
    {U'∠', "/_"}, {U'⊥', "_|_"}, {U'ℝ', "RR"}, {U'ℕ', "NN"}, {U'ℤ', "ZZ"}, {U'ℚ', "QQ"},
    {U'ℂ', "CC"},
};

// The fixed words of the reading, by the name the reader knows them by.
using P = Phrase;
struct PhraseEntry {
    Phrase phrase;
    std::string_view words;
};
constexpr PhraseEntry kPhrases[] = {
    {P::A, "a"},
    {P::Angulo, "ângulo"},
    {P::AnguloEntre, "ângulo entre"},
    {P::AoCubo, "ao cubo"},
    {P::AoQuadrado, "ao quadrado"},
    {P::ArranjoDe, "arranjo de"},
    {P::Ate, "até"},
    {P::BinomialDe, "binomial de"},
    {P::Caso, "caso"},
    {P::Casos, "casos"},
    {P::Centavo, "centavo"},
    {P::Centavos, "centavos"},
    {P::ChaveCom, "chave com"},
    {P::Com, "com"},
    {P::ComRepeticaoDe, "com repetição de"},
    {P::CombinacaoDe, "combinação de"},
    {P::CompostaCom, "composta com"},
    {P::ConjuntoVazio, "conjunto vazio"},
    {P::Dado, "dado"},
    {P::De, "de"},
    {P::Denominador, "denominador"},
    {P::Derivada, "derivada"},
    {P::DerivadaDeOrdem, "derivada de ordem"},
    {P::DerivadaEnesimaDe, "derivada enésima de"},
    {P::DerivadaParcial, "derivada parcial"},
    {P::Determinante, "determinante"},
    {P::DizimaPeriodica, "dízima periódica"},
    {P::DoisPontos, "dois pontos"},
    {P::DuasLinhas, "duas linhas"},
    {P::E, "e"},
    {P::EAbertoEm, "e aberto em"},
    {P::EFechadoEm, "e fechado em"},
    {P::Elementos, "elementos"},
    {P::ElevadaA, "elevada a"},
    {P::ElevadoA, "elevado a"},
    {P::Em, "em"},
    {P::EmRelacaoA, "em relação a"},
    {P::Equacao, "equação"},
    {P::Equacoes, "equações"},
    {P::Escalar, "escalar"},
    {P::FimDaBase, "fim da base"},
    {P::FimDaFracao, "fim da fração"},
    {P::FimDaMatriz, "fim da matriz"},
    {P::FimDaNorma, "fim da norma"},
    {P::FimDaRaiz, "fim da raiz"},
    {P::FimDoArco, "fim do arco"},
    {P::FimDoDeterminante, "fim do determinante"},
    {P::FimDoExpoente, "fim do expoente"},
    {P::FimDoIndice, "fim do índice"},
    {P::FimDoLimite, "fim do limite"},
    {P::FimDoModulo, "fim do módulo"},
    {P::FimDoPiso, "fim do piso"},
    {P::FimDoProdutorio, "fim do produtório"},
    {P::FimDoSistema, "fim do sistema"},
    {P::FimDoSomatorio, "fim do somatório"},
    {P::FimDoTeto, "fim do teto"},
    {P::FimDoVetor, "fim do vetor"},
    {P::FimDosCasos, "fim dos casos"},
    {P::Fracao, "fração"},
    {P::Graus, "graus"},
    {P::Indice, "índice"},
    {P::IntervaloAbertoDe, "intervalo aberto de"},
    {P::IntervaloAbertoEm, "intervalo aberto em"},
    {P::IntervaloFechadoDe, "intervalo fechado de"},
    {P::IntervaloFechadoEm, "intervalo fechado em"},
    {P::Inversa, "inversa"},
    {P::LetraE, "é"},
    {P::LetraO, "ó"},
    {P::Linha, "linha"},
    {P::Linhas, "linhas"},
    {P::LogaritmoNaBase, "logaritmo na base"},
    {P::Maiusculo, "maiúsculo"},
    {P::Matriz, "matriz"},
    {P::ModuloDe, "módulo de"},
    {P::NaoNulos, "não nulos"},
    {P::NormaDe, "norma de"},
    {P::Numerador, "numerador"},
    {P::Numero, "número"},
    {P::Para, "para"},
    {P::PelaDireita, "pela direita"},
    {P::PelaEsquerda, "pela esquerda"},
    {P::Periodo, "período"},
    {P::PermutacaoDe, "permutação de"},
    {P::PertencenteA, "pertencente a"},
    {P::PisoDe, "piso de"},
    {P::PontoEVirgula, "ponto e vírgula"},
    {P::Por, "por"},
    {P::Quando, "quando"},
    {P::RaizDeIndice, "raiz de índice"},
    {P::RaizEnesima, "raiz enésima"},
    {P::RaizQuadradaDe, "raiz quadrada de"},
    {P::Reais, "reais"},
    {P::Real, "real"},
    {P::Segmento, "segmento"},
    {P::SistemaDe, "sistema de"},
    {P::Sobre, "sobre"},
    {P::Sobrescrito, "sobrescrito"},
    {P::SobrescritoAEsquerda, "sobrescrito à esquerda"},
    {P::Subscrito, "subscrito"},
    {P::SubscritoAEsquerda, "subscrito à esquerda"},
    {P::TalQue, "tal que"},
    {P::TetoDe, "teto de"},
    {P::Transposta, "transposta"},
    {P::TresLinhas, "três linhas"},
    {P::Tudo, "tudo"},
    {P::Vetor, "vetor"},
    {P::VetorColunaDe, "vetor coluna de"},
    {P::Vetorial, "vetorial"},
    {P::Vezes, "vezes"},
    {P::Virgula, "vírgula"},
};
constexpr bool phrasesInOrder() {
    for (std::size_t i = 0; i < std::size(kPhrases); ++i)
        if (static_cast<std::size_t>(kPhrases[i].phrase) != i) return false;
    return std::size(kPhrases) == static_cast<std::size_t>(Phrase::Count);
}
static_assert(phrasesInOrder(), "one line per phrase, in the order of enum Phrase");

constexpr std::string_view kOrdinals[] = {"primeira", "segunda", "terceira", "quarta", "quinta",
                                          "sexta",    "sétima",  "oitava",   "nona",   "décima"};
constexpr std::string_view kDenominators[][2] = {
    {"meio", "meios"},     {"terço", "terços"},   {"quarto", "quartos"},
    {"quinto", "quintos"}, {"sexto", "sextos"},   {"sétimo", "sétimos"},
    {"oitavo", "oitavos"}, {"nono", "nonos"},     {"décimo", "décimos"}};
constexpr std::string_view kRootNames[] = {"raiz quadrada", "raiz cúbica", "raiz quarta",
                                           "raiz quinta",   "raiz sexta",  "raiz sétima",
                                           "raiz oitava",   "raiz nona",   "raiz décima"};

// Accents over more than one symbol: the spellings, the words before and the end marker.
struct AccentEntry {
    std::string_view input;
    AccentWords words;
};
constexpr AccentEntry kAccents[] = {
    {"bar", {"barra sobre", "fim da barra"}},
    {"overline", {"barra sobre", "fim da barra"}},
    {"hat", {"chapéu sobre", "fim do chapéu"}},
    {"ul", {"sublinhado", "fim do sublinhado"}},
    {"underline", {"sublinhado", "fim do sublinhado"}},
    {"dot", {"ponto sobre", "fim do ponto"}},
    {"ddot", {"dois pontos sobre", "fim dos pontos"}},
    {"tilde", {"til sobre", "fim do til"}},
    {"cancel", {"cancelamento de", "fim do cancelamento"}},
    {"ubrace", {"chave embaixo de", "fim da chave"}},
    {"underbrace", {"chave embaixo de", "fim da chave"}},
};
constexpr AccentWords kOverbrace = {"chave em cima de", "fim da chave"};

// Units of measure read after a number: the spelling, the singular and the plural.
struct UnitEntry {
    std::string_view spelling, singular, plural;
    bool feminine = false;
};
constexpr UnitEntry kUnits[] = {
    {"mm", "milímetro", "milímetros"},
    {"cm", "centímetro", "centímetros"},
    {"km", "quilômetro", "quilômetros"},
    {"m", "metro", "metros"},
    {"kg", "quilograma", "quilogramas"},
    {"mg", "miligrama", "miligramas"},
    {"g", "grama", "gramas"},
    {"t", "tonelada", "toneladas", true},
    {"min", "minuto", "minutos"},
    {"ms", "milissegundo", "milissegundos"},
    {"s", "segundo", "segundos"},
    {"h", "hora", "horas", true},
    {"mL", "mililitro", "mililitros"},
    {"L", "litro", "litros"},
    {"°C", "grau Celsius", "graus Celsius"},
    {"ºC", "grau Celsius", "graus Celsius"},
};
// The first bytes of the units' spellings, to pass over most text at once.
constexpr std::array<bool, 256> kUnitStarts = [] {
    std::array<bool, 256> starts{};
    for (const UnitEntry& u : kUnits) starts[static_cast<unsigned char>(u.spelling[0])] = true;
    return starts;
}();

// The powers of a unit: "metros quadrados", and after "por", "segundo ao quadrado".
constexpr std::string_view kSquare[2][2] = {{"quadrado", "quadrados"}, {"quadrada", "quadradas"}};
constexpr std::string_view kCube[2][2] = {{"cúbico", "cúbicos"}, {"cúbica", "cúbicas"}};
constexpr std::string_view kPer = "por";
constexpr std::string_view kPerSquare = "ao quadrado";
constexpr std::string_view kPerCube = "ao cubo";

struct Index {
    std::array<std::vector<const Symbol*>, 128> byFirstByte;
    Index() {
        for (const Symbol& s : kSymbols) byFirstByte[static_cast<unsigned char>(s.input[0])].push_back(&s);
        for (auto& list : byFirstByte) {
            std::stable_sort(list.begin(), list.end(), [](const Symbol* a, const Symbol* b) {
                return a->input.size() > b->input.size();
            });
        }
    }
};

const Index& index() {
    static const Index instance;
    return instance;
}

}  // namespace

const Symbol* MatchSymbol(std::string_view text) {
    if (text.empty()) return nullptr;
    const auto first = static_cast<unsigned char>(text[0]);
    if (first >= 128) return nullptr;
    for (const Symbol* s : index().byFirstByte[first]) {
        if (text.substr(0, s->input.size()) != s->input) continue;
        if ((s->flags & kBeforeParen) &&
            (text.size() <= s->input.size() || text[s->input.size()] != '('))
            continue;
        return s;
    }
    return nullptr;
}

const Symbol* CharacterSymbol(char32_t cp) {
    for (const CharacterEntry& e : kCharacters)
        if (e.cp == cp) return &e.symbol;
    for (const CharacterAlias& a : kAliases)
        if (a.cp == cp) return MatchSymbol(a.spelling);
    return nullptr;
}

std::string_view Say(Phrase phrase) { return kPhrases[static_cast<std::size_t>(phrase)].words; }

std::string_view OrdinalWord(std::size_t n) {
    return n >= 1 && n <= std::size(kOrdinals) ? kOrdinals[n - 1] : std::string_view{};
}

std::string_view DenominatorWord(int denominator, bool plural) {
    if (denominator < 2 || denominator > 10) return {};
    return kDenominators[denominator - 2][plural ? 1 : 0];
}

std::string_view RootName(int index) {
    return index >= 2 && index <= 10 ? kRootNames[index - 2] : std::string_view{};
}

AccentWords AccentPhrases(std::string_view input) {
    for (const AccentEntry& a : kAccents)
        if (a.input == input) return a.words;
    return kOverbrace;
}

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

std::size_t digitsAt(std::string_view t, std::size_t i) {
    std::size_t j = i;
    while (j < t.size() && digit(t[j])) ++j;
    return j - i;
}

// The base unit at `i` (longest spelling first, as the table lists them), or nullptr.
const UnitEntry* baseUnitAt(std::string_view t, std::size_t i) {
    if (i >= t.size() || !kUnitStarts[static_cast<unsigned char>(t[i])]) return nullptr;
    const UnitEntry* best = nullptr;
    for (const UnitEntry& u : kUnits)
        if (t.substr(i, u.spelling.size()) == u.spelling && (!best || u.spelling.size() > best->spelling.size()))
            best = &u;
    return best;
}

// "^2", "^3", "²", "³" at `i`: the power and its length, or 0.
int powerAt(std::string_view t, std::size_t i, std::size_t& length) {
    if (t.substr(i, 2) == "^2" || t.substr(i, 2) == "²") { length = 2; return 2; }
    if (t.substr(i, 2) == "^3" || t.substr(i, 2) == "³") { length = 2; return 3; }
    length = 0;
    return 0;
}

bool letterAt(std::string_view t, std::size_t i) {
    return i < t.size() && ((t[i] >= 'a' && t[i] <= 'z') || (t[i] >= 'A' && t[i] <= 'Z'));
}

}  // namespace

NumberMatch MatchNumber(std::string_view t) {
    NumberMatch m;
    std::size_t i = digitsAt(t, 0);
    if (i == 0) return m;
    // thousands: one to three digits, not a lone leading 0, then groups of exactly three
    if (i <= 3 && !(t[0] == '0')) {
        std::size_t j = i;
        while (j < t.size() && t[j] == '.' && digitsAt(t, j + 1) == 3) j += 4;
        if (j > i) i = j;
    }
    m.integer = t.substr(0, i);
    m.length = i;
    const bool grouped = m.integer.find('.') != std::string_view::npos;
    if (i < t.size() && (t[i] == ',' || (t[i] == '.' && !grouped))) {
        const std::size_t d = digitsAt(t, i + 1);
        const bool barred = i + 1 < t.size() && t[i + 1] == '(';
        if (d == 0 && !barred) return m;
        m.decimals = t.substr(i + 1, d);
        i += 1 + d;
        m.length = i;
        if (i < t.size() && t[i] == '(') {
            const std::size_t p = digitsAt(t, i + 1);
            if (p > 0 && i + 1 + p < t.size() && t[i + 1 + p] == ')') {
                m.period = t.substr(i + 1, p);
                m.length = i + 2 + p;
            } else if (d == 0) {
                m.length = 0;  // "1,(x)": no number with a comma here
            }
            return m;
        }
        // "0,666...", "1,2333...", "0,1212...": the shortest repeating tail seen at least twice
        if (t.substr(i, 3) == "..." && d >= 2) {
            const std::string_view ds = m.decimals;
            for (std::size_t p = 1; p * 2 <= d && m.period.empty(); ++p) {
                for (std::size_t start = 0; start + 2 * p <= d; ++start) {
                    bool repeats = true;
                    for (std::size_t k = start + p; k < d && repeats; ++k) repeats = ds[k] == ds[k - p];
                    if (!repeats) continue;
                    m.decimals = ds.substr(0, start);
                    m.period = ds.substr(start, p);
                    m.length = i + 3;
                    break;
                }
            }
        }
    }
    return m;
}

UnitMatch MatchUnit(std::string_view t, bool plural) {
    UnitMatch m;
    const UnitEntry* top = baseUnitAt(t, 0);
    if (!top) return m;
    std::size_t i = top->spelling.size();
    std::size_t powerLength = 0;
    const int power = powerAt(t, i, powerLength);
    i += powerLength;
    const int p = plural ? 1 : 0;
    const int g = top->feminine ? 1 : 0;
    std::string words(plural ? top->plural : top->singular);
    if (power == 2) words.append(" ").append(kSquare[g][p]);
    if (power == 3) words.append(" ").append(kCube[g][p]);
    bool single = top->spelling.size() == 1;
    if (i < t.size() && t[i] == '/') {
        const UnitEntry* below = baseUnitAt(t, i + 1);
        if (below) {
            std::size_t j = i + 1 + below->spelling.size();
            std::size_t belowPowerLength = 0;
            const int belowPower = powerAt(t, j, belowPowerLength);
            j += belowPowerLength;
            if (!letterAt(t, j)) {
                words.append(" ").append(kPer).append(" ").append(below->singular);
                if (belowPower == 2) words.append(" ").append(kPerSquare);
                if (belowPower == 3) words.append(" ").append(kPerCube);
                i = j;
                single = false;
            }
        }
    }
    if (letterAt(t, i)) return m;  // "mx", "kgf": not a unit we know, whole
    m.length = i;
    m.words = std::move(words);
    m.oneLetter = single;
    return m;
}

std::string_view SymbolInput(std::size_t index) { return kSymbols[index].input; }
std::size_t SymbolCount() { return std::size(kSymbols); }

}  // namespace reader
