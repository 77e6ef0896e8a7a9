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

std::string FormulaListAddress() { return runstate::HelpFolder + "/formulas.htm"; }

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

PageCommands::PageCommands(EditorParts& parts, Documents& documents)
    : QObject(parts.window), parts_(parts), documents_(documents) {
    OnAction(parts_, "view", this, &PageCommands::viewPage);
    OnAction(parts_, "print", this, &PageCommands::printPage);
    OnAction(parts_, "writeBraille", this, &PageCommands::writeBraille);
    OnAction(parts_, "manual", this, &PageCommands::openManual);
    OnAction(parts_, "asciiMathTutorial", this, &PageCommands::openAsciiMathTutorial);
    OnAction(parts_, "formulaList", this, &PageCommands::openFormulaList);
}

void PageCommands::viewPage() {
    if (runstate::CurrentFile.empty()) {
        messages::Show("Salve o arquivo antes de visualizar pela primeira vez");
        return;
    }
    if (documents_.isModified() && !documents_.WriteDocument(runstate::CurrentFile)) return;
    if (!isDocumentName(runstate::CurrentFile)) {
        shell::Open(runstate::CurrentFile);
        return;
    }
    if (generatePage())
        openInBrowser(runstate::PageFile, QStringLiteral("P\u00e1gina gerada: ") +
                                              QString::fromStdString(std::filesystem::path(runstate::PageFile).filename().string()) +
                                              QLatin1Char('.'));
}

bool PageCommands::generatePage() {
    runstate::PageFile = pagegen::PageNameFor(runstate::CurrentFile);
    pagegen::PageReport report;
    bool whole = false;
    try {
        whole = pagegen::GeneratePage(runstate::CurrentFile, runstate::PageFile, runstate::PageSettings(), &report);
    } catch (const safefile::FileError& error) {
        messages::ShowWarning(error.what());
    }
    // A "Modelo:" line in the document names the template of the later pages too.
    if (!report.templateFile.empty()) runstate::TemplateFile = report.templateFile;
    return whole;
}

void PageCommands::printPage() {
    if (runstate::CurrentFile.empty()) {
        messages::Show("Salve o arquivo antes de imprimir");
        return;
    }
    messages::Show("Vou abrir o navegador, ent\xC3\xA3o aperte ctrl-p.\rEspere imprimir, depois feche o navegador.");
    viewPage();
}

void PageCommands::writeBraille() {
    if (runstate::CurrentFile.empty()) {
        messages::Show("Salve o arquivo antes de gerar o braille");
        return;
    }
    if (documents_.isModified() && !documents_.WriteDocument(runstate::CurrentFile)) return;
    const std::string brf = pagegen::BrailleNameFor(runstate::CurrentFile, ".brf");
    const std::string txt = pagegen::BrailleNameFor(runstate::CurrentFile, ".txt");
    pagegen::BrailleReport report;
    try {
        pagegen::GenerateBraille(runstate::CurrentFile, brf, txt, &report);
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
    std::string help = runstate::HelpFolder + "/velloq.chm";
    if (::access(help.c_str(), F_OK) != 0) help = runstate::HelpFolder + "/velloq.htm";
    openInBrowser(help);
}

void PageCommands::openAsciiMathTutorial() { shell::Open(AsciiMathTutorialAddress()); }

void PageCommands::openFormulaList() { shell::Open(FormulaListAddress()); }
