#include "editor/pagecommands.h"

#include <unistd.h>

#include <cctype>

#include <QAction>

#include "editor/documents.h"
#include "editor/uvars.h"
#include "editor/velloqPrinc.h"
#include "generator/ugerahtml.h"
#include "platform/messages.h"
#include "platform/shell.h"

std::string AsciiMathTutorialAddress() { return "http://www.wjagray.co.uk/maths/ASCIIMathTutorial.html"; }

std::string FormulaListAddress() { return uvars::HelpFolder + "/formulas.htm"; }

namespace {

// A document ends in ".vloq" in any letter case; every other file is opened as it is.
bool isDocumentName(const std::string& file) {
    if (file.size() < 5) return false;
    std::string end = file.substr(file.size() - 5);
    for (char& c : end) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return end == ".VLOQ";
}

}  // namespace

PageCommands::PageCommands(TForm1& form, Documents& documents)
    : QObject(&form), form_(form), documents_(documents) {
    auto on = [this](const char* name, auto slot) {
        connect(form_.action(QString::fromLatin1(name)), &QAction::triggered, this, slot);
    };
    on("Visualizar1", &PageCommands::Visualizar1Click);
    on("Imprimirformatado1", &PageCommands::Imprimirformatado1Click);
    on("Ajuda2", &PageCommands::Ajuda2Click);
    on("TutorialAsciiMath1", &PageCommands::TutorialAsciiMath1Click);
    on("Sitematematicapt1", &PageCommands::Sitematematicapt1Click);
}

void PageCommands::Visualizar1Click() {
    if (uvars::CurrentFile.empty()) {
        messages::Show("Salve o arquivo antes de visualizar pela primeira vez");
        return;
    }
    if (documents_.isModified() && !documents_.WriteDocument(uvars::CurrentFile)) return;
    if (!isDocumentName(uvars::CurrentFile)) {
        shell::Open(uvars::CurrentFile);
        return;
    }
    if (GerarHTML1Click()) shell::Open(uvars::PageFile);
}

bool PageCommands::GerarHTML1Click() {
    uvars::PageFile = ugerahtml::PageNameFor(uvars::CurrentFile);
    try {
        return ugerahtml::GeneratePage(uvars::CurrentFile, uvars::PageFile);
    } catch (const ugerahtml::FileError& error) {
        messages::ShowWarning(error.what());
        return false;
    }
}

void PageCommands::Imprimirformatado1Click() {
    if (uvars::CurrentFile.empty()) {
        messages::Show("Salve o arquivo antes de imprimir");
        return;
    }
    messages::Show("Vou abrir o navegador, ent\xC3\xA3o aperte ctrl-p.\rEspere imprimir, depois feche o navegador.");
    Visualizar1Click();
}

void PageCommands::Ajuda2Click() {
    std::string help = uvars::HelpFolder + "/velloq.chm";
    if (::access(help.c_str(), F_OK) != 0) help = uvars::HelpFolder + "/velloq.htm";
    shell::Open(help);
}

void PageCommands::TutorialAsciiMath1Click() { shell::Open(AsciiMathTutorialAddress()); }

void PageCommands::Sitematematicapt1Click() { shell::Open(FormulaListAddress()); }
