#pragma once
// One symbol of the ASCIIMath vocabulary as the word tables hold it: its spelling, what the
// parser does with it (its kind), what the reader's rules look for in it (its role), its words
// and flags. The tables themselves and the lookups are in reader/symbols.h.
#include <cstdint>
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
    // accents that name a figure over capitals: a segment, an angle
    Overbar, Hat,
    // operators that the rules tell apart: the vector product, the scalar product, composition
    Cross, Times, Asterisk, Compose,
    // relations between the sides of an equation or inequality; "-=", "equiv"
    Comparison, Congruence,
    // arrows that chemistry reads as "produz" or "em equilíbrio com": "rarr"; "<=>", "hArr"
    Arrow, Equivalence,
    // "mod", which makes "-=" a congruence
    Modulo,
    // operations and relations of sets besides "in": "nn", "uu", "\\\\", "sub", "supe"...
    SetOperation,
    // signs between the terms of a sum besides "+" and "-": "+-", "-+"
    PlusMinus,
    // function names that are also a unit after a number
    Minute,
    // constants read by their words, which some rules look for: from Ellipsis to Partial
    Ellipsis, Degree, Squared, Cubed, Currency, Ohm, Micro, Tilde, Differential, Partial,
};

// Whether a symbol of this role reads by its words alone wherever no rule takes it: None, the
// operations of sets, and the constants that only some rules look for ("...", "°", "dx").
constexpr bool ReadsByWords(Role role) {
    return role == Role::None || role == Role::SetOperation || (role >= Role::Ellipsis && role <= Role::Partial);
}

// An accent written after what it covers is read: "x barra", "x chapéu".
constexpr bool IsPostfixAccent(Role role) {
    return role == Role::PostfixAccent || role == Role::Overbar || role == Role::Hat;
}

enum SymbolFlag : std::uint8_t {
    kArticle = 1,      // a noun taking the article "o" after a preposition: "pertence ao conjunto..."
    kFeminine = 2,     // "tangente elevada a", not "elevado a"
    kBeforeParen = 4,  // only a symbol when "(" follows ("Re(z)"), otherwise plain letters
    kCapital = 8,      // spelled with a capital first: "RR", "Delta", "O/"
    kManyArguments = 16,  // a function of several arguments, separated by commas: "mdc(12,18)"
    kPageLetters = 32,    // a name the page does not know and draws letter by letter: "sen", "arg"
    kPageSign = 64,       // a name the page draws as a sign that takes no argument: "min", "max"
    kProductArgument = 128,  // a function whose argument, written without brackets, runs on
                             // over the product after it, as the page means it: "sen 2x"
};

struct Symbol {
    std::string_view input;  // the ASCIIMath spelling
    SymbolKind kind;
    Role role;
    std::string_view words;  // the reading; for brackets the opening or closing words
    std::uint8_t flags = 0;
};

// The words around an accent over more than one symbol: "barra sobre" ... "fim da barra".
struct AccentWords {
    std::string_view before, end;
};

}  // namespace reader
