// velloq-gerar: generates the pages of documents from the command line, with the settings
// that the editor would use in the current folder.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "editor/uvars.h"
#include "generator/ugerahtml.h"

namespace {

constexpr const char* kUsage =
    "Uso: velloq-gerar DOCUMENTO...\n"
    "     velloq-gerar -o P\xC3\x81GINA DOCUMENTO\n"
    "\n"
    "Gera a p\xC3\xA1gina HTML de cada documento (.vloq), ao lado dele: \"aula.vloq\" d\xC3\xA1 \"aula.htm\";\n"
    "um nome sem \".vloq\" ganha \".htm\" no fim. Com -o, a p\xC3\xA1gina recebe o nome dado.\n"
    "\n"
    "O modelo, o autor e o contato v\xC3\xAAm de ./velloq.ini, se\xC3\xA7\xC3\xA3o VELLOQ\n"
    "(chaves ARQMODELO, AUTOR e CONTATO); sem elas, \"modeloMat.mdl\", \"Fulano de Tal\"\n"
    "e um endere\xC3\xA7o de exemplo. Avisos e erros v\xC3\xA3o para a sa\xC3\xAD" "da de erros.\n"
    "\n"
    "Sa\xC3\xAD" "da: 0 quando todas as p\xC3\xA1ginas foram gravadas inteiras, 1 quando houve erro de\n"
    "arquivo, 2 quando o uso est\xC3\xA1 errado.\n";

int usageError(const std::string& why) {
    std::cerr << "velloq-gerar: " << why << "\n\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> documents;
    std::string page;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "-o") {
            if (i + 1 >= argc) return usageError("falta o nome da p\xC3\xA1gina depois de -o");
            page = argv[++i];
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

    // The current folder is both start folder and work folder.
    uvars::SetStartValues();
    uvars::WorkFolder = uvars::StartFolder;
    uvars::ReadSettings();

    int status = 0;
    for (const auto& document : documents) {
        try {
            if (!ugerahtml::GeneratePage(document, page.empty() ? ugerahtml::PageNameFor(document) : page))
                status = 1;
        } catch (const ugerahtml::FileError& e) {
            std::cerr << e.what() << '\n';
            status = 1;
        }
    }
    return status;
}
