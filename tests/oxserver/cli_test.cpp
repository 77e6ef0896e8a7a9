// The oxserver program: its options, its output, a second instance and its signals.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "test_support.h"

namespace {

using oxtest::RunProgram;

TEST(Program, ReadsOneFormulaInUtf8) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"--ler", "x^2"}, "x ao quadrado\n"},
        {{"--ler", "`sqrt x`"}, "raiz quadrada de x\n"},          // backquotes are optional
        {{"--ler", "A=(bxxh)/2"}, "Á igual a fração, numerador b vezes h, denominador 2, fim da fração\n"},
        {{"--ler", "text(a<b)"}, "a&lt;b\n"},                      // as the server sends it
        {{"--ler", "text(\xe1rea)"}, "área\n"},                    // Windows-1252 argument
        {{"--ler", ""}, "\n"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(RunProgram(c.args, &out, &err), 0) << c.args[1];
        EXPECT_EQ(out, c.out) << c.args[1];
        EXPECT_EQ(err, "") << c.args[1];
    }
}

// The cells of one formula, a matrix one row a line; a sign without cells is marked in the cells
// and named on the error output.
TEST(Program, WritesOneFormulaInBraille) {
    struct Case {
        std::vector<std::string> args;
        std::string out, err;
    } cases[] = {
        {{"--braille", "`x^2`"}, "⠭⠡⠼⠃\n", ""},
        {{"--braille", "3/4 = 0,75"}, "⠼⠉⠲⠀⠶⠀⠼⠚⠂⠛⠑\n", ""},
        {{"--braille", "((a,b),(c,d))"}, "⠣⠁⠀⠃\n⠉⠀⠙⠜\n", ""},
        {{"--braille", "text(\xe1rea)"}, "⠠⠦⠷⠗⠑⠁⠴⠠\n", ""},  // Windows-1252 argument
        {{"--braille", "a € b"}, "⠁⠿⠿⠯⠼⠦⠒⠖⠲⠰⠿⠿⠃\n", "oxserver: sinal sem braille no código: €\n"},
        {{"--braille", ""}, "\n", ""},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(RunProgram(c.args, &out, &err), 0) << c.args[1];
        EXPECT_EQ(out, c.out) << c.args[1];
        EXPECT_EQ(err, c.err) << c.args[1];
    }
}

TEST(Program, HelpAndMistakenOptions) {
    std::string out, err;
    EXPECT_EQ(RunProgram({"--help"}, &out, &err), 0);
    for (const char* word : {"--porta", "--ler", "--braille", "51956", "127.0.0.1", "UTF-8", "Windows-1252"})
        EXPECT_NE(out.find(word), std::string::npos) << word;

    const std::vector<std::string> mistakes[] = {
        {"--porta"}, {"--porta", "x"}, {"--porta", "70000"}, {"--porta", "-1"},
        {"--ler"}, {"--ler", "a", "b"}, {"--braille"}, {"--braille", "a", "b"}, {"--voar"}};
    for (const auto& args : mistakes) {
        EXPECT_EQ(RunProgram(args, &out, &err), 2) << args[0];
        EXPECT_NE(err.find("oxserver --help"), std::string::npos) << args[0];
    }
}

TEST(Program, PortZeroIsPrintedAndServed) {
    oxtest::Process server({"--porta", "0"});
    const std::string port = server.readLine();
    ASSERT_FALSE(port.empty());
    oxtest::Client c(static_cast<std::uint16_t>(std::stoi(port)));
    ASSERT_TRUE(c.send("`n!`"));
    EXPECT_EQ(c.reply(), "n fatorial\r\n");
    ::kill(server.pid(), SIGTERM);
    EXPECT_EQ(server.wait(), 0);
}

TEST(Program, ASecondInstanceSaysSoAndEnds) {
    oxtest::Process first({"--porta", "0"});
    const std::string port = first.readLine();
    ASSERT_FALSE(port.empty());
    std::string out, err;
    EXPECT_EQ(RunProgram({"--porta", port}, &out, &err), 0);
    EXPECT_NE(err.find("oxserver"), std::string::npos);
    EXPECT_NE(err.find(port), std::string::npos);
    EXPECT_EQ(out, "");
    oxtest::Client c(static_cast<std::uint16_t>(std::stoi(port)));  // the first serves on
    ASSERT_TRUE(c.send("`1`"));
    EXPECT_EQ(c.reply(), "1\r\n");
    ::kill(first.pid(), SIGINT);
    EXPECT_EQ(first.wait(), 0);
}

TEST(Program, APortTakenByAnotherProgramIsAnError) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(fd, 4), 0);  // accepts, never answers
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    std::string out, err;
    EXPECT_EQ(RunProgram({"--porta", std::to_string(ntohs(a.sin_port))}, &out, &err), 1);
    EXPECT_NE(err.find("ocupada"), std::string::npos);
    ::close(fd);
}

TEST(Program, StopsCleanlyOnSigtermAndSigint) {
    for (int sig : {SIGTERM, SIGINT}) {
        oxtest::Process server({"--porta", "0"});
        const std::string port = server.readLine();
        ASSERT_FALSE(port.empty());
        oxtest::Client idle(static_cast<std::uint16_t>(std::stoi(port)));
        ASSERT_TRUE(idle.connected());
        ::kill(server.pid(), sig);
        EXPECT_EQ(server.wait(), 0) << sig;
        EXPECT_TRUE(idle.closedByServer()) << sig;
    }
}

}  // namespace
