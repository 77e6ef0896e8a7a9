#include "reader/explore.h"

#include <string>
#include <unordered_map>

namespace reader {
namespace {

using Part = Exploration::Part;

class Builder {
public:
    Builder(Exploration& e, const std::vector<std::uint32_t>& origin) : e_(e), f_(e.formula), origin_(origin) {}

    // Adds the children of `piece`, then theirs, parents before children.
    void expand(std::int32_t piece) {
        const Part part = e_.parts[static_cast<std::size_t>(piece)];
        std::vector<Child> children;
        childrenOf(part, children);
        std::int32_t previous = -1;
        std::vector<std::int32_t> added;
        for (const Child& c : children) {
            const std::int32_t p = add(piece, c);
            if (p < 0) continue;
            added.push_back(p);
            if (previous < 0) {
                at(piece).firstChild = p;
            } else {
                at(previous).nextSibling = p;
                at(p).previousSibling = previous;
            }
            previous = p;
        }
        for (std::int32_t p : added) expand(p);
    }

    void addWhole(std::size_t textSize) {
        Piece whole;
        whole.begin = 0;
        whole.end = static_cast<std::uint32_t>(textSize);
        e_.pieces.push_back(std::move(whole));
        e_.parts.push_back(Part{f_.root, PartReading::Node, 0, 0});
    }

private:
    struct Child {
        Part part;
        std::string role;
    };

    Piece& at(std::int32_t p) { return e_.pieces[static_cast<std::size_t>(p)]; }
    const Node& node(std::int32_t i) const { return f_.at(i); }

    bool isSymbol(std::int32_t i, Role role) const {
        const Node& n = node(i);
        return n.kind == NodeKind::Symbol && !(n.flags & kEscaped) && n.symbol->role == role;
    }

    bool isLetterLike(std::int32_t i) const {
        const Node& n = node(i);
        return (n.kind == NodeKind::Letter && n.length == 1) || isSymbol(i, Role::Letter);
    }

    bool isCallBracket(std::int32_t i) const {
        const Node& n = node(i);
        return n.kind == NodeKind::Group && !(n.flags & (kInvisible | kSpaced | kMatrix)) &&
               n.symbol->role == Role::Paren && n.close && n.close->role == Role::Paren;
    }

    // The children of a row or group, nested rows laid out flat, as the reader sees them;
    // kept, since the pieces of a long row each look at its items.
    const std::vector<std::int32_t>& collect(std::int32_t parent) const {
        const auto [known, added] = items_.try_emplace(parent);
        if (added) gather(parent, known->second);
        return known->second;
    }
    void gather(std::int32_t parent, std::vector<std::int32_t>& items) const {
        for (std::int32_t c = node(parent).first; c >= 0; c = node(c).next) {
            if (node(c).kind == NodeKind::Row) gather(c, items);
            else items.push_back(c);
        }
    }

    // A row, or brackets that only delimit an operand, around a single item stands for it.
    std::int32_t unwrap(std::int32_t i) const {
        for (;;) {
            const Node& n = node(i);
            const bool wrapper = n.kind == NodeKind::Row || (n.kind == NodeKind::Group && (n.flags & kInvisible));
            if (!wrapper || n.first < 0 || n.first != n.last) return i;
            i = n.first;
        }
    }

    // The name of a part, from the word tables.
    static std::string said(Phrase p) { return std::string(Say(p)); }

    static std::string numbered(std::string_view before, std::size_t n, std::string_view after = {}) {
        std::string s(before);
        s += ' ';
        s += std::to_string(n);
        if (!after.empty()) {
            s += ' ';
            s += after;
        }
        return s;
    }

    void childrenOf(const Part& part, std::vector<Child>& out) const {
        if (part.how == PartReading::Items) {
            const std::vector<std::int32_t>& items = collect(part.node);
            if (part.cells && cellsOf(part, out)) return;
            if (part.level > 0) {
                rowPieces(part.node, part.first, part.first + part.count, part.level, out);
                return;
            }
            if (part.count <= 1) return;  // a single item is a piece of its own already
            const std::size_t stop = std::min<std::size_t>(items.size(), std::size_t{part.first} + part.count);
            itemsOf(items, part.first, stop, out);
            return;
        }
        const Node& n = node(part.node);
        switch (n.kind) {
        case NodeKind::Row:
        case NodeKind::Group: {
            if (n.kind == NodeKind::Group && (n.flags & kMatrix)) {
                matrixChildren(part.node, out);
                return;
            }
            const std::vector<std::int32_t>& items = collect(part.node);
            // A row or argument of one item: what that item holds, not the item a second time.
            const bool wrapper = n.kind == NodeKind::Row || (n.flags & kInvisible) || part.how == PartReading::Argument;
            if (items.size() == 1 && wrapper) {
                childrenOf(Part{unwrap(items[0]), PartReading::Node, 0, 0}, out);
                return;
            }
            // the items that the reading takes together ("3,5 cm", "f(x)") make one piece
            const std::vector<Run>& runs = runsOf(part.node);
            if (runs.size() == 1 && wrapper) {  // read in one step: its items
                itemsOf(items, 0, items.size(), out);
                return;
            }
            rowPieces(part.node, 0, static_cast<std::uint32_t>(items.size()), 0, out);
            return;
        }
        case NodeKind::Frac:
            out.push_back({Part{n.numerator(), PartReading::Node, 0, 0}, said(Phrase::Numerador)});
            out.push_back({Part{n.denominator(), PartReading::Node, 0, 0}, said(Phrase::Denominador)});
            return;
        case NodeKind::Binary:
            if (n.argument() < 0) {
                out.push_back({Part{n.annotation(), PartReading::Node, 0, 0}, said(Phrase::Argumento)});
                return;
            }
            switch (n.symbol->role) {
            case Role::Frac:
                out.push_back({Part{n.numerator(), PartReading::Node, 0, 0}, said(Phrase::Numerador)});
                out.push_back({Part{n.denominator(), PartReading::Node, 0, 0}, said(Phrase::Denominador)});
                return;
            case Role::Root:
                out.push_back({Part{n.index(), PartReading::Node, 0, 0}, said(Phrase::Indice)});
                out.push_back({Part{n.radicand(), PartReading::Node, 0, 0}, said(Phrase::Radicando)});
                return;
            case Role::Color:
                out.push_back({Part{n.argument(), PartReading::Node, 0, 0}, said(Phrase::Argumento)});
                return;
            default:
                out.push_back({Part{n.annotation(), PartReading::Node, 0, 0}, said(Phrase::Anotacao)});
                out.push_back({Part{n.base(), PartReading::Node, 0, 0}, said(Phrase::Base)});
                return;
            }
        case NodeKind::Unary:
            if (n.symbol->kind == SymbolKind::Function)
                out.push_back({Part{n.argument(), PartReading::Argument, 0, 0}, said(Phrase::Argumento)});
            else
                out.push_back({Part{n.argument(), PartReading::Node, 0, 0}, n.symbol->role == Role::Sqrt ? said(Phrase::Radicando) : said(Phrase::Argumento)});
            return;
        case NodeKind::Script: {
            const Node& base = node(n.base());
            const bool big = base.kind == NodeKind::Symbol && base.symbol->kind == SymbolKind::BigOperator;
            const bool log = base.kind == NodeKind::Symbol && base.symbol->role == Role::Log;
            out.push_back({Part{n.base(), PartReading::Node, 0, 0}, said(Phrase::Base)});
            if (n.index() >= 0)
                out.push_back({Part{n.index(), PartReading::Node, 0, 0},
                               big ? said(Phrase::LimiteInferior) : log ? said(Phrase::BaseDoLogaritmo) : said(Phrase::Indice)});
            if (n.exponent() >= 0) out.push_back({Part{n.exponent(), PartReading::Node, 0, 0}, big ? said(Phrase::LimiteSuperior) : said(Phrase::Expoente)});
            return;
        }
        default:
            return;
        }
    }

    // The steps of the reading of a row: the items that it reads at once ("3,5 cm", "f(x)").
    struct Run {
        std::uint32_t first, count;
    };
    const std::vector<Run>& runsOf(std::int32_t row) const {
        const auto [known, added] = runs_.try_emplace(row);
        if (added) {
            std::uint32_t first = 0;
            for (const std::uint32_t count : ItemRuns(f_, row)) {
                known->second.push_back({first, count});
                first += count;
            }
        }
        return known->second;
    }

    // A step that is a sign alone: a relation between sides, or a sign between terms.
    bool runIs(const std::vector<std::int32_t>& items, const Run& run, bool relation) const {
        if (run.count != 1) return false;
        const std::int32_t i = items[run.first];
        if (relation) return isSymbol(i, Role::Comparison) || isSymbol(i, Role::Congruence);
        return isSymbol(i, Role::Plus) || isSymbol(i, Role::Minus) || isSymbol(i, Role::PlusMinus);
    }

    // The pieces of items from..to of a row, which start and end steps: at level 0 its sides
    // when relations stand between them ("primeiro membro", the relation, "segundo membro");
    // at levels 0 and 1 its terms when signs stand between them ("termo 2 de 3", each with the
    // sign before it); else its steps.
    void rowPieces(std::int32_t row, std::uint32_t from, std::uint32_t to, std::uint8_t level,
                   std::vector<Child>& out) const {
        const std::vector<std::int32_t>& items = collect(row);
        std::vector<Run> runs;
        for (const Run& run : runsOf(row))
            if (run.first >= from && run.first + run.count <= to) runs.push_back(run);
        if (level == 0) {
            std::vector<std::vector<Run>> sides(1);
            std::vector<Run> relations;
            for (const Run& run : runs) {
                if (runIs(items, run, true)) {
                    relations.push_back(run);
                    sides.emplace_back();
                } else {
                    sides.back().push_back(run);
                }
            }
            if (!relations.empty()) {
                for (std::size_t s = 0; s < sides.size(); ++s) {
                    if (s > 0) stepPieces(row, items, {relations[s - 1]}, out);
                    const std::string_view ordinal = OrdinalWord(s + 1, true);
                    std::string role = ordinal.empty() ? numbered(Say(Phrase::Membro), s + 1)
                                                       : std::string(ordinal) + " " + std::string(Say(Phrase::Membro));
                    span(row, items, sides[s], std::move(role), 1, out);
                }
                return;
            }
        }
        // a term of a sign and a letter, number or sign: nothing further to walk into
        if (level == 2 && runs.size() == 2 && runIs(items, runs[0], false) && runs[1].count == 1 &&
            leaf(items[runs[1].first]))
            return;
        if (level <= 1) {
            std::vector<std::vector<Run>> terms;
            bool afterSign = false;
            for (const Run& run : runs) {
                const bool sign = runIs(items, run, false);
                if (terms.empty() || (sign && !afterSign)) terms.emplace_back();
                terms.back().push_back(run);
                afterSign = sign;
            }
            if (terms.size() >= 2) {
                for (std::size_t t = 0; t < terms.size(); ++t) {
                    std::string role = numbered(Say(Phrase::Termo), t + 1, Say(Phrase::De));
                    role += ' ';
                    role += std::to_string(terms.size());
                    span(row, items, terms[t], std::move(role), 2, out);
                }
                return;
            }
        }
        stepPieces(row, items, runs, out);
    }

    bool leaf(std::int32_t i) const {
        const NodeKind k = node(unwrap(i)).kind;
        return k == NodeKind::Number || k == NodeKind::Letter || k == NodeKind::Symbol || k == NodeKind::Text;
    }

    // Steps of a row, each a piece with no role of its own.
    void stepPieces(std::int32_t row, const std::vector<std::int32_t>& items, const std::vector<Run>& runs,
                    std::vector<Child>& out) const {
        for (const Run& run : runs) {
            if (run.count == 1) itemsOf(items, run.first, run.first + 1, out);
            else out.push_back({Part{row, PartReading::Items, run.first, run.count}, {}});
        }
    }

    // A side or term with its role: one item, one step, or several steps with pieces of their
    // own at `level`.
    void span(std::int32_t row, const std::vector<std::int32_t>& items, const std::vector<Run>& runs,
              std::string role, std::uint8_t level, std::vector<Child>& out) const {
        if (runs.empty()) return;
        const std::size_t before = out.size();
        if (runs.size() == 1) {
            stepPieces(row, items, runs, out);
        } else {
            const std::uint32_t first = runs.front().first;
            Part part{row, PartReading::Items, first, runs.back().first + runs.back().count - first};
            part.level = level;
            out.push_back({part, {}});
        }
        out[before].role = std::move(role);
    }

    // Items from..stop of a row, each a piece; the brackets of f(x) read as the argument they
    // hold, as after "f de".
    void itemsOf(const std::vector<std::int32_t>& items, std::size_t from, std::size_t stop,
                 std::vector<Child>& out) const {
        for (std::size_t k = from; k < stop; ++k) {
            std::size_t before = k;
            while (before > 0 && isSymbol(items[before - 1], Role::Prime)) --before;
            const bool call = before > 0 && isLetterLike(items[before - 1]) && isCallBracket(items[k]);
            out.push_back({Part{items[k], call ? PartReading::Argument : PartReading::Node, 0, 0}, {}});
        }
    }

    // A matrix: its rows, each read as its cells; a row of one cell has the cell's items.
    void matrixChildren(std::int32_t matrix, std::vector<Child>& out) const {
        const Node& g = node(matrix);
        std::vector<std::int32_t> rows;
        for (std::int32_t c = g.first; c >= 0; c = node(c).next)
            if (node(c).kind == NodeKind::Group) rows.push_back(c);
        if (rows.empty()) return;
        std::size_t columns = 1;
        for (std::int32_t c = node(rows[0]).first; c >= 0; c = node(c).next)
            if (isSymbol(c, Role::Comma)) ++columns;
        const bool brace = g.symbol->role == Role::Brace;
        const bool determinant = g.symbol->kind == SymbolKind::Bar;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::vector<std::int32_t>& items = collect(rows[r]);
            std::string role = brace && columns == 1  ? numbered(Say(Phrase::Equacao), r + 1)
                               : brace                ? numbered(Say(Phrase::Caso), r + 1)
                               : columns == 1 && !determinant ? numbered(Say(Phrase::Elemento), r + 1)
                               : determinant          ? numbered(Say(Phrase::Linha), r + 1, Say(Phrase::DoDeterminante))
                                                      : numbered(Say(Phrase::Linha), r + 1, Say(Phrase::DaMatriz));
            out.push_back({Part{rows[r], PartReading::Items, 0, static_cast<std::uint32_t>(items.size()), true}, std::move(role)});
        }
    }

    // The cells of a matrix row, when it has more than one.
    bool cellsOf(const Part& row, std::vector<Child>& out) const {
        const std::vector<std::int32_t>& items = collect(row.node);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> cells;  // first, count
        std::uint32_t start = 0;
        for (std::uint32_t k = 0; k <= items.size(); ++k) {
            if (k < items.size() && !isSymbol(items[k], Role::Comma)) continue;
            cells.emplace_back(start, k - start);
            start = k + 1;
        }
        if (cells.size() < 2) return false;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const auto [first, count] = cells[c];
            if (count == 0) continue;
            std::string role = numbered(Say(Phrase::Coluna), c + 1);
            if (count == 1) out.push_back({Part{items[first], PartReading::Node, 0, 0}, std::move(role)});
            else out.push_back({Part{row.node, PartReading::Items, first, count}, std::move(role)});
        }
        return true;
    }

    // Whether a part reads as nothing: blanks, commas, brackets that show nothing.
    bool silent(const Part& p) const {
        const Node& n = node(p.node);
        if (p.how == PartReading::Items) return p.count == 0;
        switch (n.kind) {
        case NodeKind::Row:
        case NodeKind::Group:
            if (n.first >= 0) return false;
            return n.kind == NodeKind::Row || (n.flags & kInvisible) || ReadPart(f_, p.node, p.how, 0, 0, Verbosity::Normal).empty();
        case NodeKind::Symbol:
        case NodeKind::Text:
            return ReadPart(f_, p.node, p.how, 0, 0, Verbosity::Normal).empty();
        default:
            return false;
        }
    }

    std::int32_t add(std::int32_t parent, Child c) {
        if (c.part.node < 0) return -1;
        if (c.part.how == PartReading::Node) c.part.node = unwrap(c.part.node);
        if (silent(c.part)) return -1;
        Piece piece;
        std::uint32_t from = 0, to = 0;
        if (c.part.how == PartReading::Items) {
            const std::vector<std::int32_t>& items = collect(c.part.node);
            const std::size_t last = std::min<std::size_t>(items.size(), std::size_t{c.part.first} + c.part.count);
            if (c.part.first >= last) return -1;
            from = node(items[c.part.first]).from;
            to = node(items[last - 1]).to;
        } else {
            from = node(c.part.node).from;
            to = node(c.part.node).to;
        }
        piece.begin = origin_[std::min<std::size_t>(from, origin_.size() - 1)];
        piece.end = origin_[std::min<std::size_t>(to, origin_.size() - 1)];
        piece.role = std::move(c.role);
        piece.parent = parent;
        e_.pieces.push_back(std::move(piece));
        e_.parts.push_back(c.part);
        return static_cast<std::int32_t>(e_.pieces.size() - 1);
    }

    Exploration& e_;
    const Formula& f_;
    mutable std::unordered_map<std::int32_t, std::vector<std::int32_t>> items_;  // see collect
    mutable std::unordered_map<std::int32_t, std::vector<Run>> runs_;            // see runsOf
    const std::vector<std::uint32_t>& origin_;
};

}  // namespace

Exploration Explore(std::string_view utf8) {
    Exploration e;
    std::vector<std::uint32_t> origin;
    e.formula = Parse(DecodeCharacterReferences(utf8, origin));
    Builder b(e, origin);
    b.addWhole(utf8.size());
    b.expand(0);
    return e;
}

std::string ReadPiece(const Exploration& e, std::int32_t piece, Verbosity verbosity) {
    if (piece < 0 || static_cast<std::size_t>(piece) >= e.parts.size()) return {};
    if (piece == 0) return Read(e.formula, verbosity);
    const Exploration::Part& p = e.parts[static_cast<std::size_t>(piece)];
    return ReadPart(e.formula, p.node, p.how, p.first, p.count, verbosity);
}

}  // namespace reader
