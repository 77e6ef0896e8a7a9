#pragma once
// Generating, viewing and printing the document's page, and opening the help and the pages
// about formulas, each through the desktop's program for it.
#include <QObject>
#include <string>

class Documents;
struct EditorParts;
struct RunState;

// The pages outside the program that the menus open.
// The ASCIIMath tutorial on the web.
std::string AsciiMathTutorialAddress();
// The general list of formulas: the page that ships in helpFolder, since no public site
// serves such a list at a stable address.
std::string FormulaListAddress(const std::string& helpFolder);

class PageCommands : public QObject {
    Q_OBJECT
public:
    // Connects "&Visualizar", "&Imprimir", "Gerar para impressora &braille", "&Ajuda", "&Tutorial AsciiMath" and "Lista geral de
    // fórmulas" of form's menus.
    PageCommands(EditorParts& parts, Documents& documents, RunState& run);

public slots:
    // Saves a modified text, then opens the document's page (generated anew) or, for a file
    // that is no document, the file itself.
    void viewPage();
    // Generates the document's page into the run's page file. False when the generator stopped on a
    // file error, which has been shown.
    bool generatePage();
    void printPage();
    // "Gerar para impressora &braille": saves a modified text, then writes the document for an
    // embosser beside it (DOC.brf, and DOC.txt in Unicode braille) and says so, naming the signs
    // the mathematics code gave no cells for; a file error is shown as for the page.
    void writeBraille();
    void openManual();
    void openAsciiMathTutorial();
    void openFormulaList();

private:
    // Says "Abrindo a página no navegador." and hands page to the desktop; when the page is
    // missing or the desktop names no program for it, says why in a warning.
    // Opens page, saying done (what came before, if anything) and that it opens.
    void openInBrowser(const std::string& page, const QString& done = {});

    EditorParts& parts_;
    Documents& documents_;
    RunState& run_;
};
