// velloq-gerar: generates the pages of documents from the command line, with the settings
// that the editor would use in the current folder.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "generator/generator.h"

namespace {

constexpr const char* kUsage =
    "Uso: velloq-gerar DOCUMENTO...\n"
    "     velloq-gerar -o P\xC3\x81GINA DOCUMENTO\n"
    "     velloq-gerar --braille DOCUMENTO...\n"
    "\n"
    "Gera a p\xC3\xA1gina HTML de cada documento (.vloq), ao lado dele: \"aula.vloq\" d\xC3\xA1 \"aula.htm\";\n"
    "um nome sem \".vloq\" ganha \".htm\" no fim. Com -o, a p\xC3\xA1gina recebe o nome dado.\n"
    "\n"
    "O modelo, o autor e o contato v\xC3\xAAm de ./velloq.ini, se\xC3\xA7\xC3\xA3o VELLOQ\n"
    "(chaves ARQMODELO, AUTOR e CONTATO); sem elas, \"modeloMat.mdl\", \"Fulano de Tal\"\n"
    "e um endere\xC3\xA7o de exemplo. Avisos e erros v\xC3\xA3o para a sa\xC3\xAD" "da de erros.\n"
    "\n"
    "Cada p\xC3\xA1gina \xC3\xA9 gravada num arquivo novo na mesma pasta, que s\xC3\xB3 toma o lugar da\n"
    "p\xC3\xA1gina antiga quando est\xC3\xA1 inteira: se algo falhar, a p\xC3\xA1gina antiga fica como estava.\n"
    "\n"
    "Com --braille, em vez da p\xC3\xA1gina grava o documento para impressora braille, ao lado dele:\n"
    "\"aula.vloq\" d\xC3\xA1 \"aula.brf\" (braille ASCII, o formato das impressoras) e \"aula.txt\" (o mesmo\n"
    "em braille Unicode, para a linha braille ou para conferir). O texto sai em braille\n"
    "portugu\xC3\xAAs e as f\xC3\xB3rmulas no C\xC3\xB3" "digo Matem\xC3\xA1tico Unificado, em linhas de at\xC3\xA9 40 celas\n"
    "e p\xC3\xA1ginas de 25 linhas numeradas. Um sinal de f\xC3\xB3rmula sem braille no c\xC3\xB3" "digo sai\n"
    "marcado, com o texto digitado, e \xC3\xA9 listado no fim do documento e na sa\xC3\xAD" "da de erros.\n"
    "\n"
    "Sa\xC3\xAD" "da:\n"
    "  0  todas as p\xC3\xA1ginas foram gravadas inteiras;\n"
    "  1  houve erro de arquivo (um documento que n\xC3\xA3o se l\xC3\xAA, disco cheio...);\n"
    "  2  o uso est\xC3\xA1 errado, ou a p\xC3\xA1gina seria gravada sobre o documento, um arquivo de\n"
    "     inclus\xC3\xA3o ou o modelo (nada \xC3\xA9 gravado);\n"
    "  3  o modelo falta ou est\xC3\xA1 danificado: a p\xC3\xA1gina foi gravada, mas sem a moldura do modelo\n"
    "     (ou sem parte dela);\n"
    "  4  um arquivo de inclus\xC3\xA3o falta ou passa do limite de tamanho: a p\xC3\xA1gina foi gravada,\n"
    "     mas sem o conte\xC3\xBA" "do dele.\n"
    "Com v\xC3\xA1rios documentos, vale o caso mais grave, nesta ordem: 2, 1, 3, 4.\n";

int usageError(const std::string& why) {
    std::cerr << "velloq-gerar: " << why << "\n\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> documents;
    std::string page;
    bool braille = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "-o") {
            if (i + 1 >= argc) return usageError("falta o nome da p\xC3\xA1gina depois de -o");
            page = argv[++i];
        } else if (arg == "--braille") {
            braille = true;
        } else if (arg == "--") {
            for (++i; i < argc; ++i) documents.emplace_back(argv[i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("op\xC3\xA7\xC3\xA3o desconhecida: " + arg);
        } else {
            documents.push_back(arg);
        }
    }
    if (documents.empty()) return usageError("nenhum documento foi dado");
    if (!page.empty() && documents.size() != 1)
        return usageError("-o s\xC3\xB3 serve para um documento");
    if (!page.empty() && braille) return usageError("-o n\xC3\xA3o serve com --braille");

    // The current folder is both start folder and work folder.
    const std::string settingsFile = settings::FileIn(settings::CurrentDirectory());
    const settings::PageValues values = settings::ReadPageValues(settingsFile, settingsFile);
    pagegen::PageSettings pageSettings{values.templateFile, values.author, values.contact};

    // The most serious outcome of all documents decides the status: 2, then 1, then 3, then 4.
    constexpr int kBySeverity[] = {2, 1, 3, 4};
    auto rank = [&](int status) {
        const auto at = std::find(std::begin(kBySeverity), std::end(kBySeverity), status);
        return static_cast<int>(std::end(kBySeverity) - at);
    };
    int status = 0;
    auto note = [&](int outcome) {
        if (rank(outcome) > rank(status)) status = outcome;
    };
    for (const auto& document : documents) {
        pagegen::PageReport report;
        try {
            if (braille) {
                pagegen::BrailleReport signs;
                pagegen::GenerateBraille(document, pagegen::BrailleNameFor(document, ".brf"),
                                         pagegen::BrailleNameFor(document, ".txt"), pageSettings, &signs);
                if (!signs.uncovered.empty()) {
                    std::cerr << "velloq-gerar: " << document << ": sinais sem braille no c\xC3\xB3" "digo:";
                    for (const auto& sign : signs.uncovered) std::cerr << ' ' << sign;
                    std::cerr << '\n';
                }
                continue;
            }
            if (!pagegen::GeneratePage(document, page.empty() ? pagegen::PageNameFor(document) : page,
                                         pageSettings, &report))
                note(1);
            if (report.templateIncomplete) note(3);
            if (report.includeLeftOut) note(4);
        } catch (const pagegen::PageIsInputError& e) {
            std::cerr << "velloq-gerar: " << e.what() << '\n';
            note(2);
        } catch (const std::exception& e) {
            std::cerr << e.what() << '\n';
            note(1);
        }
        // A "Modelo:" line names the template of the later documents too, as in the editor.
        if (!report.templateFile.empty()) pageSettings.templateFile = report.templateFile;
    }
    return status;
}
