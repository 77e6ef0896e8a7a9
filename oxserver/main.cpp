// oxserver: the formula speech server. Only reads its arguments and wires the library together.
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "oxserver/framing.h"
#include "reader/braille.h"
#include "reader/reader.h"
#include "oxserver/server.h"

#include "platform/codepage.h"

namespace {

constexpr const char* kHelp =
    "Uso: oxserver [--porta N] [--verbosidade NÍVEL]\n"
    "     oxserver --ler \"FÓRMULA\" [--verbosidade NÍVEL]\n"
    "     oxserver --braille \"FÓRMULA\"\n"
    "     oxserver --help\n"
    "\n"
    "Servidor de fala de fórmulas do Velloq: recebe fórmulas em notação ASCIIMath e\n"
    "responde com a leitura delas em português do Brasil, que o editor entrega à voz.\n"
    "\n"
    "Sem parâmetros, escuta no endereço 127.0.0.1, porta 51956 (só aceita conexões desta\n"
    "máquina), até receber SIGTERM ou SIGINT (Ctrl+C). Cada pedido é uma fórmula entre\n"
    "crases, como `x^2`; a resposta é a leitura em Windows-1252, seguida de CR LF, com no\n"
    "máximo 4.096 bytes. Se já houver um oxserver escutando na porta, este avisa e termina\n"
    "logo, com status 0.\n"
    "\n"
    "Opções:\n"
    "  --porta N        escuta na porta N em vez da 51956; com 0, numa porta livre.\n"
    "                   Assim que está pronto, o servidor escreve o número da porta\n"
    "                   na saída padrão, numa linha.\n"
    "  --verbosidade NÍVEL\n"
    "                   quanto da estrutura a leitura diz: breve (sem os avisos de\n"
    "                   fim de estrutura no fim da fórmula), normal (o padrão) ou\n"
    "                   detalhada (toda estrutura anunciada e fechada, mesmo a de um\n"
    "                   item só). No servidor, é o nível de cada\n"
    "                   conexão até ela mandar, fora das crases, a linha\n"
    "                   !verbosidade=NÍVEL seguida de LF, que muda o nível dela e não\n"
    "                   tem resposta.\n"
    "  --ler \"FÓRMULA\"  escreve a leitura de uma fórmula na saída padrão e termina.\n"
    "                   A fórmula pode vir com ou sem as crases. A leitura sai em UTF-8\n"
    "                   (não em Windows-1252, como no servidor), numa linha; fora isso é\n"
    "                   a mesma resposta do servidor: &, < e > saem como &amp;, &lt; e\n"
    "                   &gt;, e uma leitura longa demais é cortada do mesmo modo. Uma\n"
    "                   fórmula que não é UTF-8 válido é lida como Windows-1252.\n"
    "  --braille \"FÓRMULA\"\n"
    "                   escreve a fórmula em braille, no Código Matemático Unificado,\n"
    "                   em celas Unicode (UTF-8), e termina; uma matriz sai numa linha\n"
    "                   por linha da matriz. Um sinal que o código não cobre sai entre\n"
    "                   marcadores, com o texto digitado, e é listado na saída de erros.\n"
    "  --help           mostra esta ajuda.\n"
    "\n"
    "Exemplos:\n"
    "  oxserver --ler \"x=(-b +- sqrt(b^2 - 4ac))/(2a)\"\n"
    "  oxserver --ler \"sqrt(x)+1\" --verbosidade breve\n"
    "  oxserver --braille \"x=(-b +- sqrt(b^2 - 4ac))/(2a)\"\n"
    "  oxserver --porta 0\n";

oxserver::Server* g_server = nullptr;

void onStopSignal(int) {
    if (g_server) g_server->Stop();
}

bool isUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        const std::size_t len = codepage::DecodeUtf8(s, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// A formula of the command line as UTF-8, without the backquotes around it.
std::string commandLineFormula(std::string_view formula) {
    std::string utf8 = isUtf8(formula) ? std::string(formula) : codepage::Cp1252ToUtf8(formula);
    if (utf8.size() >= 2 && utf8.front() == '`' && utf8.back() == '`')
        utf8 = utf8.substr(1, utf8.size() - 2);
    return utf8;
}

int readOne(std::string_view formula, reader::Verbosity verbosity) {
    const std::string utf8 = commandLineFormula(formula);
    std::string reply = oxserver::BuildReply(reader::ReadFormula(utf8, verbosity));
    reply.resize(reply.size() - 2);  // the CR LF
    std::printf("%s\n", codepage::Cp1252ToUtf8(reply).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int brailleOne(std::string_view formula) {
    const reader::BrailleText braille = reader::FormulaToBraille(commandLineFormula(formula));
    std::printf("%s\n", braille.cells.c_str());
    for (const std::string& sign : braille.uncovered)
        std::fprintf(stderr, "oxserver: sinal sem braille no código: %s\n", sign.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Room for the thousands of idle connections the editor may leave open.
void raiseFileLimit() {
    rlimit rl{};
    if (::getrlimit(RLIMIT_NOFILE, &rl) != 0) return;
    const rlim_t want = rl.rlim_max == RLIM_INFINITY ? 65536 : std::min<rlim_t>(rl.rlim_max, 65536);
    if (rl.rlim_cur < want) {
        rl.rlim_cur = want;
        ::setrlimit(RLIMIT_NOFILE, &rl);
    }
}

int serve(std::uint16_t port, reader::Verbosity verbosity) {
    raiseFileLimit();
    std::signal(SIGPIPE, SIG_IGN);
    oxserver::Server server;
    oxserver::ServerOptions options;
    options.port = port;
    options.verbosity = verbosity;
    int error = 0;
    if (!server.Listen(options, &error)) {
        if (error == EADDRINUSE) {
            // Time enough for a running server that is busy with long formulas to answer.
            if (oxserver::ProbeServer(port, 5000)) {
                std::fprintf(stderr, "oxserver: já há um oxserver escutando na porta %u; este termina.\n",
                             static_cast<unsigned>(port));
                return 0;
            }
            std::fprintf(stderr, "oxserver: a porta %u está ocupada por outro programa.\n",
                         static_cast<unsigned>(port));
            return 1;
        }
        std::fprintf(stderr, "oxserver: não foi possível escutar na porta %u: %s\n",
                     static_cast<unsigned>(port), std::strerror(error));
        return 1;
    }
    g_server = &server;
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::printf("%u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    server.Run();
    g_server = nullptr;
    return 0;
}

bool parsePort(const char* text, std::uint16_t& port) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 65535) return false;
    port = static_cast<std::uint16_t>(v);
    return true;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "oxserver: %s\nUse \"oxserver --help\" para ver as opções.\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint16_t port = oxserver::kDefaultPort;
    reader::Verbosity verbosity = reader::Verbosity::Normal;
    const char* formula = nullptr;  // --ler or --braille
    bool braille = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--ajuda") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == "--ler" || arg == "--braille") {
            const std::string option(arg);
            if (i + 1 >= argc) return usageError("falta a fórmula depois de " + option + ".");
            if (i + 2 < argc && std::string_view(argv[i + 2]).substr(0, 2) != "--")
                return usageError(option + (braille || arg == "--braille" ? " escreve" : " lê") + " uma fórmula só; ponha-a entre aspas.");
            formula = argv[i + 1];
            braille = arg == "--braille";
            ++i;
            continue;
        }
        if (arg == "--porta") {
            if (i + 1 >= argc || !parsePort(argv[i + 1], port))
                return usageError("--porta precisa de um número de 0 a 65535.");
            ++i;
            continue;
        }
        if (arg == "--verbosidade") {
            if (i + 1 >= argc || !reader::ParseVerbosity(argv[i + 1], verbosity))
                return usageError("--verbosidade precisa de um nível: breve, normal ou detalhada.");
            ++i;
            continue;
        }
        return usageError("opção desconhecida: " + std::string(arg));
    }
    if (formula && braille) return brailleOne(formula);
    if (formula) return readOne(formula, verbosity);
    return serve(port, verbosity);
}
