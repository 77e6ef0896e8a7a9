#include "editor/speaking/formulapieces.h"

#include <QStringList>

#include <algorithm>
#include <string>

#include "reader/explore.h"
#include "reader/typingerrors.h"

namespace formulapieces {
namespace {

// For every byte offset of s's UTF-8 text, the position in s (UTF-16 units) of the character
// that holds that byte; offsets inside a character round up to the next character, so a byte
// range maps to the characters it touches. One more entry for the end.
std::vector<int> Utf16Positions(const QString& s) {
    std::vector<int> at;
    at.reserve(static_cast<std::size_t>(s.size()) * 3 + 1);
    for (qsizetype i = 0; i < s.size();) {
        const char32_t c = s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()
                               ? QChar::surrogateToUcs4(s.at(i), s.at(i + 1))
                               : s.at(i).unicode();
        const int units = c > 0xFFFF ? 2 : 1;
        const int bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        at.push_back(static_cast<int>(i));
        for (int b = 1; b < bytes; ++b) at.push_back(static_cast<int>(i) + units);
        i += units;
    }
    at.push_back(static_cast<int>(s.size()));
    return at;
}

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// What an item of a row does there: joins two members, joins two terms, or is read.
enum class Kind { Item, Relation, Additive };

Kind KindOf(const reader::Exploration& e, std::size_t piece) {
    const reader::Exploration::Part& part = e.parts[piece];
    if (part.how != reader::PartReading::Node || part.node < 0) return Kind::Item;
    const reader::Node& n = e.formula.at(part.node);
    if (n.kind != reader::NodeKind::Symbol || (n.flags & reader::kEscaped)) return Kind::Item;
    if (n.symbol->kind == reader::SymbolKind::Relation) return Kind::Relation;
    const bool additive = n.symbol->role == reader::Role::Plus || n.symbol->role == reader::Role::Minus ||
                          n.symbol->input == "+-" || n.symbol->input == "-+";
    return n.symbol->kind == reader::SymbolKind::Operator && additive ? Kind::Additive : Kind::Item;
}

QString MemberName(std::size_t n, bool brief) {
    static const char* const kOrdinals[] = {"primeiro", "segundo", "terceiro", "quarto", "quinto",
                                            "sexto",    "s\u00e9timo", "oitavo", "nono", "d\u00e9cimo"};
    if (brief || n > 10) return QStringLiteral("membro %1").arg(n);
    return QString::fromUtf8(kOrdinals[n - 1]) + QStringLiteral(" membro");
}

QString Joined(const QStringList& parts) { return parts.join(QStringLiteral(", ")); }

// Places for the items of one row, children of one piece, that the reader left without one.
void NameRowItems(const reader::Exploration& e, const std::vector<std::int32_t>& row, bool brief,
                  std::vector<Piece>& pieces) {
    // members, split at relations; terms, split at + and - that follow something; factors
    struct Term {
        std::vector<std::size_t> items;  // positions in row
        bool signed_ = false;            // its first item is its sign
    };
    struct Member {
        std::vector<Term> terms;
        std::vector<std::size_t> joins;  // the signs between terms
    };
    std::vector<Member> members(1);
    std::vector<std::size_t> relations;
    for (std::size_t k = 0; k < row.size(); ++k) {
        const Kind kind = KindOf(e, static_cast<std::size_t>(row[k]));
        Member& m = members.back();
        if (kind == Kind::Relation) {
            relations.push_back(k);
            members.emplace_back();
        } else if (kind == Kind::Additive && !m.terms.empty() && !m.terms.back().items.empty()) {
            m.joins.push_back(k);
            m.terms.emplace_back();
        } else {
            if (m.terms.empty()) m.terms.emplace_back();
            Term& t = m.terms.back();
            if (t.items.empty() && kind == Kind::Additive) t.signed_ = true;
            t.items.push_back(k);
        }
    }
    const auto name = [&](std::size_t k, QString role) {
        Piece& p = pieces[static_cast<std::size_t>(row[k])];
        if (p.role.isEmpty()) p.role = std::move(role);
    };
    const bool manyMembers = members.size() > 1;
    // What stands between members or terms is named by what it is: its place is plain from the
    // pieces beside it.
    for (const std::size_t relation : relations) name(relation, QStringLiteral("sinal"));
    for (std::size_t s = 0; s < members.size(); ++s) {
        const Member& m = members[s];
        QStringList outer;
        if (manyMembers) outer << MemberName(s + 1, brief);
        const std::size_t terms = m.terms.size();
        for (const std::size_t join : m.joins) {
            QStringList parts = outer;
            parts << QStringLiteral("sinal");
            name(join, Joined(parts));
        }
        for (std::size_t t = 0; t < terms; ++t) {
            const Term& term = m.terms[t];
            QStringList parts = outer;
            if (terms > 1)
                parts << (brief ? QStringLiteral("termo %1").arg(t + 1) : QStringLiteral("termo %1 de %2").arg(t + 1).arg(terms));
            const std::size_t factors = term.items.size() - (term.signed_ ? 1 : 0);
            for (std::size_t f = 0; f < term.items.size(); ++f) {
                QStringList own = parts;
                if (term.signed_ && f == 0) own << QStringLiteral("sinal");
                else if (factors > 1) {
                    const std::size_t number = f + (term.signed_ ? 0 : 1);
                    own << (brief ? QStringLiteral("fator %1").arg(number) : QStringLiteral("fator %1 de %2").arg(number).arg(factors));
                }
                // a lone item of a lone term of a lone member still has its place
                if (own.isEmpty()) own << QStringLiteral("termo");
                name(term.items[f], Joined(own));
            }
        }
    }
}

// Links piece `child` in as a child of `parent`, after the children that begin at or before
// `at` (UTF-16 units in the formula).
void Adopt(std::vector<Piece>& pieces, std::int32_t parent, std::int32_t child, int at) {
    Piece& c = pieces[static_cast<std::size_t>(child)];
    c.parent = parent;
    std::int32_t before = -1;  // the child it goes after
    for (std::int32_t k = pieces[static_cast<std::size_t>(parent)].firstChild; k >= 0;
         k = pieces[static_cast<std::size_t>(k)].nextSibling) {
        if (pieces[static_cast<std::size_t>(k)].begin > at) break;
        before = k;
    }
    const std::int32_t after = before < 0 ? pieces[static_cast<std::size_t>(parent)].firstChild
                                          : pieces[static_cast<std::size_t>(before)].nextSibling;
    c.previousSibling = before;
    c.nextSibling = after;
    if (before < 0) pieces[static_cast<std::size_t>(parent)].firstChild = child;
    else pieces[static_cast<std::size_t>(before)].nextSibling = child;
    if (after >= 0) pieces[static_cast<std::size_t>(after)].previousSibling = child;
}

}  // namespace

std::vector<Piece> Pieces(const QString& formula, reader::Verbosity verbosity, bool closed) {
    const std::string utf8 = formula.toStdString();
    const reader::Exploration e = reader::Explore(utf8);
    const std::vector<int> unitAt = Utf16Positions(formula);
    const auto unit = [&](std::uint32_t byte) { return unitAt[std::min<std::size_t>(byte, unitAt.size() - 1)]; };
    const bool brief = verbosity == reader::Verbosity::Breve;

    std::vector<Piece> pieces;
    pieces.reserve(e.pieces.size() + 2);
    for (std::size_t i = 0; i < e.pieces.size(); ++i) {
        const reader::Piece& p = e.pieces[i];
        Piece piece;
        piece.begin = unit(p.begin);
        piece.end = unit(p.end);
        piece.role = Text(p.role);
        piece.reading = Text(reader::ReadPiece(e, static_cast<std::int32_t>(i), verbosity));
        piece.parent = p.parent;
        piece.firstChild = p.firstChild;
        piece.nextSibling = p.nextSibling;
        piece.previousSibling = p.previousSibling;
        pieces.push_back(std::move(piece));
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::vector<std::int32_t> row;
        for (std::int32_t c = pieces[i].firstChild; c >= 0; c = pieces[static_cast<std::size_t>(c)].nextSibling)
            row.push_back(c);
        if (!row.empty()) NameRowItems(e, row, brief, pieces);
    }

    // Slips of typing that no piece says already, as pieces beside the place they stand.
    std::vector<std::uint32_t> origin;
    reader::DecodeCharacterReferences(utf8, origin);
    const auto source = [&](std::uint32_t decoded) { return origin[std::min<std::size_t>(decoded, origin.size() - 1)]; };
    for (const reader::TypingError& slip : reader::FindTypingErrors(e.formula)) {
        const auto pieceOf = [&](std::int32_t node) {
            for (std::size_t i = 1; i < e.parts.size(); ++i)
                if (e.parts[i].node == node && e.parts[i].how != reader::PartReading::Items) return static_cast<std::int32_t>(i);
            return node == e.formula.root ? 0 : -1;
        };
        if (pieceOf(slip.node) > 0 && slip.owner != slip.node) continue;  // a lone sign: its piece says it
        std::int32_t parent = pieceOf(slip.owner);
        if (parent < 0) parent = 0;
        const reader::Node& n = e.formula.at(slip.node);
        const bool unclosed = n.kind == reader::NodeKind::Group && !n.close;
        Piece piece;
        // an unclosed bracket shows as itself, an empty operand as its brackets
        piece.begin = unit(source(n.from));
        piece.end = unclosed ? unit(source(n.from + static_cast<std::uint32_t>(n.symbol->input.size()))) : unit(source(n.to));
        piece.role = QString::fromUtf8(kTypingErrorRole);
        piece.reading = Text(slip.words);
        pieces.push_back(std::move(piece));
        Adopt(pieces, parent, static_cast<std::int32_t>(pieces.size() - 1), unit(source(slip.at)));
    }
    if (!closed) {
        pieces[0].reading += (pieces[0].reading.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromUtf8(kOpenFormula);
        Piece piece;
        piece.begin = piece.end = static_cast<int>(formula.size());
        piece.role = QString::fromUtf8(kTypingErrorRole);
        piece.reading = QString::fromUtf8(kOpenFormula);
        pieces.push_back(std::move(piece));
        Adopt(pieces, 0, static_cast<std::int32_t>(pieces.size() - 1), static_cast<int>(formula.size()));
    }
    return pieces;
}

}  // namespace formulapieces
