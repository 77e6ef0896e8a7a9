// Chemistry: a chemical equation is found in a pass of its own before the other rules, and read
// as a chemistry teacher reads it: "C H 4 mais 2 O 2 produz C O 2 mais 2 H 2 O", charges as
// "carga", states as words, "produz" and "em equilíbrio com" for the arrows.
#include "reader/rules.h"

namespace reader::rules {
namespace {

bool capitalLetter(std::string_view t) { return t.size() == 1 && t[0] >= 'A' && t[0] <= 'Z'; }
bool smallLetter(std::string_view t) { return t.size() == 1 && t[0] >= 'a' && t[0] <= 'z'; }

}  // namespace

// Whether the formula is a chemical equation: species joined by "+", sides joined by arrows,
// every letter of it the symbol of an element.
// Ions with no arrow are chemistry too: "Na^+ + Cl^-", "PO_4^(3-)".
bool Reader::isChemicalEquation(const std::vector<std::int32_t>& items) {
    bool arrow = false, charge = false;
    for (std::int32_t i : items) {
        arrow = arrow || isChemicalArrow(i) || (at(i).kind == NodeKind::Script && isChemicalArrow(at(i).base()));
        charge = charge || isCharged(i);
    }
    return (arrow || charge) && chemicalEquation(items, false);
}

// A letter with a charge written above it: "a^+" of "Na^+", "O_4^(2-)".
bool Reader::isCharged(std::int32_t i) const {
    const Node& n = at(i);
    if (n.kind != NodeKind::Script || n.exponent() < 0 || at(n.base()).kind != NodeKind::Letter) return false;
    const Node& c = at(unwrap(n.exponent()));
    const std::int32_t sign = c.kind == NodeKind::Row || c.kind == NodeKind::Group ? c.last : unwrap(n.exponent());
    return sign >= 0 && (isSymbol(sign, Role::Plus) || isSymbol(sign, Role::Minus));
}

bool Reader::isChemicalArrow(std::int32_t i) const {
    return isSymbol(i, Role::Tends) || isSymbol(i, Role::Arrow) || isSymbol(i, Role::Equivalence);
}

void Reader::readChemicalEquation(const std::vector<std::int32_t>& items) { chemicalEquation(items, true); }

// The walk of an equation, reading it when `read`: false at the first thing that is no
// chemistry (nothing read then).
bool Reader::chemicalEquation(const std::vector<std::int32_t>& items, bool read) {
    std::size_t k = 0;
    bool species = true;  // a species comes next
    while (k < items.size()) {
        const std::int32_t i = items[k];
        if (nuclide(items, k, species, read)) {
            species = false;
            continue;
        }
        if (species) {
            if (!chemicalSpecies(items, k, read)) return false;
            species = false;
        } else if (isSymbol(i, Role::Plus)) {
            if (read) w_.phrase(at(i).symbol->words);
            ++k;
            species = true;
        } else if (isChemicalArrow(i)) {
            if (read) w_.phrase(Say(isSymbol(i, Role::Equivalence) ? P::EmEquilibrioCom : P::Produz));
            ++k;
            species = true;
        } else {
            return false;
        }
    }
    return !species;
}

// A whole number, perhaps negative: the atomic number -1 of an electron.
bool Reader::isInteger(std::int32_t i) const {
    const std::int32_t u = unwrap(i);
    if (at(u).kind != NodeKind::Row && at(u).kind != NodeKind::Group) return isWholeNumber(u);
    std::vector<std::int32_t> parts;
    collect(u, parts);
    return parts.size() == 2 && isSymbol(parts[0], Role::Minus) && isWholeNumber(parts[1]);
}

// The symbol of a nuclide from items[k] on: an element, or the neutron, proton, electron or a
// Greek letter (beta, alpha, gamma). The number of items it takes; 0 for none.
std::size_t Reader::nuclideSymbol(const std::vector<std::int32_t>& items, std::size_t k, bool read) {
    if (k >= items.size()) return 0;
    const Node& n = at(items[k]);
    if (n.kind == NodeKind::Symbol && n.symbol->kind == SymbolKind::Constant && n.symbol->role == Role::None &&
        !(n.flags & kEscaped)) {
        if (read) w_.phrase(n.symbol->words);
        return 1;
    }
    if (n.kind != NodeKind::Letter) return 0;
    const std::string_view first = f_.text(n);
    if (first == "n" || first == "p" || first == "e") {
        if (read) readLetter(first);
        return 1;
    }
    if (!capitalLetter(first)) return 0;
    std::size_t taken = 1;
    std::string symbol(first);
    if (k + 1 < items.size() && at(items[k + 1]).kind == NodeKind::Letter && !(at(items[k + 1]).flags & kSpaced) &&
        smallLetter(f_.text(at(items[k + 1]))) && IsElement(symbol + std::string(f_.text(at(items[k + 1]))))) {
        symbol += f_.text(at(items[k + 1]));
        taken = 2;
    }
    if (!IsElement(symbol)) return 0;
    if (read)
        for (std::size_t j = 0; j < taken; ++j) readLetter(f_.text(at(items[k + j])));
    return taken;
}

// A nuclide with its mass number above and its atomic number below, written before it:
// "_6^(14)C" (a "_" with nothing before it), or with the scripts on the sign or coefficient
// before it: "-> _7^(14)N", "+ _0^1n", "3 _0^1n". Read "C, número de massa 14, número atômico
// 6", after the sign or coefficient. `species`: a species comes next (else a sign).
bool Reader::nuclide(const std::vector<std::int32_t>& items, std::size_t& k, bool species, bool read) {
    const Node& n = at(items[k]);
    std::int32_t carrier = -1, mass = -1, atomic = -1;
    std::size_t at0 = k + 1;
    if (species && n.kind == NodeKind::Symbol && n.symbol->kind == SymbolKind::Subscript && k + 1 < items.size()) {
        const Node& s = at(items[k + 1]);
        if (s.kind != NodeKind::Script || s.index() >= 0 || s.exponent() < 0) return false;
        atomic = s.base();
        mass = s.exponent();
        at0 = k + 2;
    } else if (n.kind == NodeKind::Script && n.index() >= 0 && n.exponent() >= 0) {
        carrier = n.base();
        const bool sign = isSymbol(carrier, Role::Plus) || isChemicalArrow(carrier);
        if (species ? !isWholeNumber(carrier) : !sign) return false;
        atomic = n.index();
        mass = n.exponent();
    } else {
        return false;
    }
    if (!isInteger(atomic) || !isWholeNumber(mass) || nuclideSymbol(items, at0, false) == 0) return false;
    if (!read) {
        k = at0 + nuclideSymbol(items, at0, false);
        return true;
    }
    if (carrier >= 0 && isWholeNumber(carrier)) w_.word(f_.text(at(carrier)));
    else if (carrier >= 0 && isSymbol(carrier, Role::Plus)) w_.phrase(at(carrier).symbol->words);
    else if (carrier >= 0) w_.phrase(Say(isSymbol(carrier, Role::Equivalence) ? P::EmEquilibrioCom : P::Produz));
    k = at0 + nuclideSymbol(items, at0, true);
    w_.pause();
    w_.phrase(Say(P::NumeroDeMassa));
    readNode(mass);
    w_.pause();
    w_.phrase(Say(P::NumeroAtomico));
    readNode(atomic);
    w_.pauseBeforeNext();
    return true;
}

// A species from items[k] on: a coefficient, then elements and bracketed groups with their
// indices and charge, then a state in brackets; or an electron, e^-.
bool Reader::chemicalSpecies(const std::vector<std::int32_t>& items, std::size_t& k, bool read) {
    bool several = false;  // 2e^-: "2 elétrons"
    if (k < items.size() && isWholeNumber(items[k])) {
        if (read) w_.word(f_.text(at(items[k])));
        several = f_.text(at(items[k])) != "1";
        ++k;
    } else if (k + 1 < items.size() && at(items[k]).kind == NodeKind::Frac && isWholeNumber(at(items[k]).numerator()) &&
               isWholeNumber(at(items[k]).denominator())) {
        // "1/2 O_2": a coefficient that is a fraction
        if (read) readNode(items[k]);
        several = true;
        ++k;
    }
    const std::size_t start = k;
    while (k < items.size()) {
        const std::int32_t i = items[k];
        const Node& n = at(i);
        // e^-: an electron
        if (k == start && n.kind == NodeKind::Script && n.index() < 0 && at(n.base()).kind == NodeKind::Letter &&
            f_.text(at(n.base())) == "e" && isSymbol(unwrap(n.exponent()), Role::Minus)) {
            if (read) w_.phrase(Say(several ? P::Eletrons : P::Eletron));
            ++k;
            return true;
        }
        const std::int32_t base = n.kind == NodeKind::Script ? n.base() : i;
        const Node& b = at(base);
        if (b.kind == NodeKind::Letter && capitalLetter(f_.text(b))) {
            // an element of one letter, or of a capital and the small letter after it
            std::string symbol(f_.text(b));
            std::size_t next = k + 1;
            std::int32_t last = i;
            if (n.kind != NodeKind::Script && next < items.size() && !(at(items[next]).flags & kSpaced)) {
                const Node& m = at(items[next]);
                const std::int32_t smallBase = m.kind == NodeKind::Script ? m.base() : items[next];
                if (at(smallBase).kind == NodeKind::Letter && smallLetter(f_.text(at(smallBase))) &&
                    IsElement(symbol + std::string(f_.text(at(smallBase))))) {
                    symbol += f_.text(at(smallBase));
                    last = items[next];
                    ++next;
                }
            }
            if (!IsElement(symbol)) return false;
            const auto letter = [&](std::string_view l) {
                // the small "e" of "Fe", "Se", "Ne" by another name than the verb's
                const std::string_view name = l == "e" ? Say(P::LetraEDeElemento) : LetterName(l);
                w_.word(name.empty() ? l : name);
            };
            if (!chemicalScripts(last, read, [&] {
                    letter(f_.text(b));
                    if (last != i) letter(f_.text(at(at(last).kind == NodeKind::Script ? at(last).base() : last)));
                }))
                return false;
            k = next;
            continue;
        }
        if (b.kind == NodeKind::Group && !(b.flags & (kInvisible | kMatrix)) && b.symbol->role == Role::Paren && b.close &&
            b.close->role == Role::Paren) {
            std::vector<std::int32_t> inside;
            collect(base, inside);
            // (aq), (s), (l), (g): the state, after the rest of the species
            std::string state;
            bool letters = true;
            for (std::int32_t c : inside) {
                // the "g" of a gas is the letter that may name a function
                const Node& l = at(c);
                const std::string_view t = l.kind == NodeKind::Letter                         ? f_.text(l)
                                           : isSymbol(c, Role::Letter) && !(l.flags & kEscaped) ? l.symbol->input
                                                                                                 : std::string_view{};
                letters = letters && smallLetter(t);
                if (letters) state += t;
            }
            if (k > start && n.kind != NodeKind::Script && letters && !StateWords(state).empty()) {
                if (read) w_.phrase(StateWords(state));
                ++k;
                return true;
            }
            // (OH)_2: a group of elements
            std::size_t j = 0;
            if (inside.empty() || isWholeNumber(inside[0])) return false;
            const bool ok = chemicalScripts(i, read, [&] {
                w_.phrase(b.symbol->words);
                std::size_t from = 0;
                chemicalSpecies(inside, from, true);
                w_.phrase(b.close->words);
            });
            if (!ok || !chemicalSpecies(inside, j, false) || j != inside.size()) return false;
            ++k;
            continue;
        }
        break;
    }
    return k > start;
}

// The index and charge of an element or group: "H_2" reads "H 2", "SO_4^(2-)" "... 4 carga 2
// menos". `say` reads what they are written on. False for scripts that are neither.
bool Reader::chemicalScripts(std::int32_t i, bool read, const std::function<void()>& say) {
    const Node& n = at(i);
    const std::int32_t sub = n.kind == NodeKind::Script ? n.index() : -1;
    const std::int32_t sup = n.kind == NodeKind::Script ? n.exponent() : -1;
    if (sub >= 0 && !isWholeNumber(sub)) return false;
    // a charge: "+", "-", "2+", "3-"
    std::vector<std::int32_t> charge;
    if (sup >= 0) {
        const std::int32_t c = unwrap(sup);
        const Node& cn = at(c);
        if (cn.kind == NodeKind::Row || (cn.kind == NodeKind::Group && (cn.flags & kInvisible)) ||
            (cn.kind == NodeKind::Group && cn.symbol->role == Role::Paren && cn.close))
            collect(c, charge);
        else
            charge.push_back(c);
        const bool sign = !charge.empty() && (isSymbol(charge.back(), Role::Plus) || isSymbol(charge.back(), Role::Minus));
        if (!sign || charge.size() > 2 || (charge.size() == 2 && !isWholeNumber(charge[0]))) return false;
    }
    if (!read) return true;
    say();
    if (sub >= 0) w_.word(f_.text(at(unwrap(sub))));
    if (sup >= 0) {
        // "N á mais, mais C l menos"; a charge of several: "S Ó 4, carga 2 menos"
        if (charge.size() == 2) {
            w_.pause();
            w_.phrase(Say(P::Carga));
            w_.word(f_.text(at(unwrap(charge[0]))));
        }
        w_.phrase(Say(isSymbol(charge.back(), Role::Plus) ? P::Mais : P::Menos));
        w_.pauseBeforeNext();
    }
    return true;
}

}  // namespace reader::rules
