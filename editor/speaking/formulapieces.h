#pragma once
// The pieces of a formula as the exploration window walks them: the reader's tree of pieces,
// each with the place it holds said in words. Where the reader gives a piece no place of its
// own (the items of a row), the place is told from the row: the member of an equation
// ("primeiro membro"), the term of a sum ("termo 2 de 3"), the factor of a product, the sign
// between them ("entre os termos 1 e 2"). Every slip of typing is a piece of its own ("erro de
// digitação"), beside the piece it belongs to, so a walk reaches it.
#include <QString>
#include <cstdint>
#include <vector>

#include "reader/reader.h"

namespace formulapieces {

inline constexpr const char* kTypingErrorRole = "erro de digita\u00e7\u00e3o";
inline constexpr const char* kOpenFormula = "f\u00f3rmula sem crase de fechamento";

struct Piece {
    int begin = 0, end = 0;  // the piece's text in the formula, in UTF-16 units
    QString role;            // empty only for the whole formula
    QString reading;
    std::int32_t parent = -1, firstChild = -1, nextSibling = -1, previousSibling = -1;

    // What a move to the piece says: "role: reading", or the reading alone.
    QString spoken() const { return role.isEmpty() ? reading : role + QStringLiteral(": ") + reading; }
};

// The pieces of formula (the text between its backquotes), read at verbosity; pieces[0] is
// the whole formula. closed is false for a formula whose closing backquote is missing: the
// whole formula's reading and its last piece say so. Never fails.
std::vector<Piece> Pieces(const QString& formula, reader::Verbosity verbosity, bool closed = true);

}  // namespace formulapieces
