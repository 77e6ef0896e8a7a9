#pragma once
// Spoken readings for the formulas of a page. A template asks for them by holding the
// placeholder "[LEITURAS]", as a rule inside a script element of type "application/json" in
// its signature section: the generator fills it with a JSON object that maps each formula of
// the page, as the browser shows its text, to its Brazilian Portuguese reading, and the
// template's own script gives each drawn formula its reading as the name a screen reader
// announces. Pages of templates without the placeholder are written as they always were.
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>

namespace pagegen {

inline constexpr std::string_view kReadingsPlaceholder = "[LEITURAS]";

// Finds the formulas of a page while it is written: Windows-1252 HTML fed in pieces of any
// size, cut anywhere. A formula is the text between two backquotes within one run of the
// page's text, which is where the browser's formula renderer looks for them: not inside tags,
// comments, script, style, title or textarea, nor inside pre, code or math, which show
// notation as it is written; a tag other than br or wbr ends a run. Formulas inside a select's
// options are found too: they are not drawn, but the option needs their reading for its name.
class FormulaScanner {
public:
    void Feed(std::string_view bytes);
    // The formulas found so far, each once: UTF-8, character references decoded, runs of
    // blanks made one blank, no blank at either end. Empty formulas are left out.
    const std::set<std::string>& Formulas() const { return formulas_; }

private:
    enum class State : unsigned char {
        Text, LessThan, EndTagOpen, TagName, InTag, MarkupOpen, MarkupDash, Comment, Bogus, RawText
    };
    void text(char c);
    void gather(std::string_view run);
    void finishTag();
    void endRun() { inFormula_ = false; formula_.clear(); }

    State state_ = State::Text;
    bool endTag_ = false;
    std::string name_;     // the tag being read, lower case; in raw text, the element's name
    char quote_ = 0;       // the quote of an attribute value being read
    bool afterEquals_ = false;
    int dashes_ = 0;       // consecutive "-" in a comment
    size_t rawMatched_ = 0;  // how much of "</" + name_ the raw text has just shown
    int notationDepth_ = 0;  // open pre, code and math elements
    bool inFormula_ = false;
    bool tooLong_ = false;
    std::string formula_;
    std::unordered_set<std::string> met_;  // formulas as written in the page
    std::set<std::string> formulas_;
};

// The JSON object that fills the placeholder: each formula with its reading at the normal
// verbosity. Plain ASCII, with "<", ">", "&" and "[" escaped too, so that it can stand inside
// a script element, pass the accent translation unchanged and never holds a placeholder.
// Formulas with nothing to read are left out.
std::string ReadingsJson(const std::set<std::string>& formulas);

// Replaces the first placeholder of a template line by the readings of the formulas. Returns
// false, leaving the line alone, when it holds no placeholder.
bool FillReadings(std::string& line, const FormulaScanner& scanner);

}  // namespace pagegen
