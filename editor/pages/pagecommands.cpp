#include "editor/pages/pagecommands.h"

#include <unistd.h>

#include <cctype>
#include <filesystem>

#include <QAction>
#include <QStringList>

#include "editor/documents/documents.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "editor/text/saydone.h"
#include "generator/generator.h"
#include "platform/fileerror.h"
#include "platform/messages.h"
#include "platform/shell.h"

std::string AsciiMathTutorialAddress() { return "http://www.wjagray.co.uk/maths/ASCIIMathTutorial.html"; }

std::string FormulaListAddress(const std::string& helpFolder) { return helpFolder + "/formulas.htm"; }

namespace {

// A document ends in ".vloq" in any letter case; every other file is opened as it is.
bool isDocumentName(const std::string& file) {
    if (file.size() < 5) return false;
    std::string end = file.substr(file.size() - 5);
    for (char& c : end) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return end == ".VLOQ";
}

constexpr const char* kOpening = "Abrindo a p\xC3\xA1gina no navegador.";

}  // namespace

void PageCommands::openInBrowser(const std::string& page, const QString& done) {
    SayDone(parts_, done.isEmpty() ? QString::fromUtf8(kOpening) : done + QLatin1Char(' ') + QString::fromUtf8(kOpening));
    if (::access(page.c_str(), F_OK) != 0) {
        messages::ShowWarning("N\xC3\xA3o foi poss\xC3\xADvel abrir a p\xC3\xA1gina no navegador: o arquivo " + page +
                              " n\xC3\xA3o existe.");
        return;
    }
    if (!shell::Open(page))
        messages::ShowWarning("N\xC3\xA3o foi poss\xC3\xADvel abrir a p\xC3\xA1gina no navegador: o sistema n\xC3\xA3o "
                              "indicou um programa que abra " + page + ".");
}

PageCommands::PageCommands(EditorParts& parts, Documents& documents, RunState& run)
    : QObject(parts.window), parts_(parts), documents_(documents), run_(run) {
    OnAction(parts_, "view", this, &PageCommands::viewPage);
    OnAction(parts_, "print", this, &PageCommands::printPage);
    OnAction(parts_, "writeBraille", this, &PageCommands::writeBraille);
    OnAction(parts_, "manual", this, &PageCommands::openManual);
    OnAction(parts_, "asciiMathTutorial", this, &PageCommands::openAsciiMathTutorial);
    OnAction(parts_, "formulaList", this, &PageCommands::openFormulaList);
}

void PageCommands::viewPage() {
    if (run_.currentFile.empty()) {
        messages::Show("Salve o arquivo antes de visualizar pela primeira vez");
        return;
    }
    if (documents_.isModified() && !documents_.WriteDocument(run_.currentFile)) return;
    if (!isDocumentName(run_.currentFile)) {
        shell::Open(run_.currentFile);
        return;
    }
    if (generatePage())
        openInBrowser(run_.pageFile, QStringLiteral("P\u00e1gina gerada: ") +
                                              QString::fromStdString(std::filesystem::path(run_.pageFile).filename().string()) +
                                              QLatin1Char('.'));
}

bool PageCommands::generatePage() {
    run_.pageFile = pagegen::PageNameFor(run_.currentFile);
    pagegen::PageReport report;
    bool whole = false;
    try {
        whole = pagegen::GeneratePage(run_.currentFile, run_.pageFile, run_.PageSettings(), &report);
    } catch (const safefile::FileError& error) {
        messages::ShowWarning(error.what());
    }
    // A "Modelo:" line in the document names the template of the later pages too.
    if (!report.templateFile.empty()) run_.templateFile = report.templateFile;
    return whole;
}

void PageCommands::printPage() {
    if (run_.currentFile.empty()) {
        messages::Show("Salve o arquivo antes de imprimir");
        return;
    }
    messages::Show("Vou abrir o navegador, ent\xC3\xA3o aperte ctrl-p.\rEspere imprimir, depois feche o navegador.");
    viewPage();
}

void PageCommands::writeBraille() {
    if (run_.currentFile.empty()) {
        messages::Show("Salve o arquivo antes de gerar o braille");
        return;
    }
    if (documents_.isModified() && !documents_.WriteDocument(run_.currentFile)) return;
    const std::string brf = pagegen::BrailleNameFor(run_.currentFile, ".brf");
    const std::string txt = pagegen::BrailleNameFor(run_.currentFile, ".txt");
    pagegen::BrailleReport report;
    try {
        pagegen::GenerateBraille(run_.currentFile, brf, txt, run_.PageSettings(), &report);
    } catch (const std::exception& error) {  // a file error, or the text's braille table missing
        messages::ShowWarning(error.what());
        return;
    }
    const auto name = [](const std::string& file) {
        return QString::fromStdString(std::filesystem::path(file).filename().string());
    };
    QString done = QStringLiteral("Braille gerado: ") + name(brf) + QStringLiteral(" e ") + name(txt) + QLatin1Char('.');
    if (!report.uncovered.empty()) {
        QStringList signs;
        for (const std::string& sign : report.uncovered) signs << QString::fromStdString(sign);
        done += QStringLiteral(" Sinais sem braille no código: ") + signs.join(QLatin1Char(' ')) + QLatin1Char('.');
    }
    SayDone(parts_, done);
}

void PageCommands::openManual() {
    std::string help = run_.helpFolder + "/velloq.chm";
    if (::access(help.c_str(), F_OK) != 0) help = run_.helpFolder + "/velloq.htm";
    openInBrowser(help);
}

void PageCommands::openAsciiMathTutorial() { shell::Open(AsciiMathTutorialAddress()); }

void PageCommands::openFormulaList() { shell::Open(FormulaListAddress(run_.helpFolder)); }
