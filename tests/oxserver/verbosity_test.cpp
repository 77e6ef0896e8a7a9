// Verbosity: the option line that sets a connection's level, and the --verbosidade flag of the
// program.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "oxserver/framing.h"
#include "reader/reader.h"
#include "oxserver/server.h"
#include "test_support.h"

namespace {

using reader::Verbosity;

const char* levelName(Verbosity v) {
    return v == Verbosity::Breve ? "breve" : v == Verbosity::Normal ? "normal" : "detalhada";
}

// What a stream yields: "formula@level" for each request, fed in pieces of `piece` bytes
// (0: all at once), unconsumed bytes kept as the server keeps them.
std::vector<std::string> requestsWithLevels(const std::string& stream, std::size_t piece) {
    std::vector<std::string> out;
    oxserver::FrameState state;
    std::string pending;
    std::size_t fed = 0;
    while (fed < stream.size()) {
        const std::size_t n = piece == 0 ? stream.size() : std::min(piece, stream.size() - fed);
        pending += stream.substr(fed, n);
        fed += n;
        std::size_t done = 0;
        for (;;) {
            const auto f = oxserver::NextFrame(std::string_view(pending).substr(done), state);
            done += f.consumed;
            state = f.next;
            if (f.kind == oxserver::FrameKind::NeedMore) break;
            out.push_back(std::string(f.body) + "@" + levelName(state.verbosity));
        }
        pending.erase(0, done);
    }
    return out;
}

TEST(VerbosityOption, ALineOutsideRequestsSetsTheLevelOfLaterRequests) {
    struct Case {
        const char* name;
        std::string stream;
        std::vector<std::string> expected;
    } cases[] = {
        {"no option", "`a``b`", {"a@normal", "b@normal"}},
        {"breve, then a request", "!verbosidade=breve\n`a`", {"a@breve"}},
        {"CR LF ends it too", "!verbosidade=detalhada\r\n`a`", {"a@detalhada"}},
        {"changed between requests", "`a`!verbosidade=breve\n`b`\r\n!verbosidade=normal\n`c`",
         {"a@normal", "b@breve", "c@normal"}},
        {"after garbage on the same line", "lixo!verbosidade=breve\n`a`", {"a@breve"}},
        {"no line end yet: not taken", "!verbosidade=breve`a`", {"a@normal"}},
        {"inside a request it is a formula", "`!verbosidade=breve\n``b`", {"!verbosidade=breve\n@normal", "b@normal"}},
        {"an unknown level changes nothing", "!verbosidade=breve\n!verbosidade=longa\n`a`", {"a@breve"}},
        {"a longer word is unknown", "!verbosidade=brevemente\n`a`", {"a@normal"}},
        {"capitals are not the option", "!Verbosidade=breve\n`a`", {"a@normal"}},
        {"a repeated sign restarts the match", "!!verbosidade=breve\n`a`", {"a@breve"}},
        {"an option alone gives no request", "!verbosidade=breve\n", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(requestsWithLevels(c.stream, 0), c.expected) << c.name << ", whole";
        for (std::size_t piece = 1; piece < c.stream.size(); ++piece)
            EXPECT_EQ(requestsWithLevels(c.stream, piece), c.expected) << c.name << ", pieces of " << piece;
    }
}

// Over a real connection: the option gets no reply, later readings follow it, and a server
// started at another level starts each connection there.
TEST(VerbosityOption, AConnectionKeepsItsOwnLevel) {
    for (const Verbosity start : {Verbosity::Normal, Verbosity::Detalhada}) {
        oxserver::Server server;
        oxserver::ServerOptions options;
        options.port = 0;
        options.verbosity = start;
        int error = 0;
        ASSERT_TRUE(server.Listen(options, &error)) << error;
        std::thread run([&] { server.Run(); });
        oxtest::Client brief(server.Port()), plain(server.Port());
        ASSERT_TRUE(brief.send("!verbosidade=breve\n`sqrt(x+1)`"));
        EXPECT_EQ(brief.reply(), "raiz quadrada de x mais 1\r\n");
        ASSERT_TRUE(plain.send("`sqrt(x)`"));
        EXPECT_EQ(plain.reply(), start == Verbosity::Normal ? "raiz quadrada de x\r\n"
                                                            : "raiz quadrada de x, fim da raiz\r\n");
        ASSERT_TRUE(brief.send("!verbosidade=normal\r\n`sqrt(x+1)`"));
        EXPECT_EQ(brief.reply(), "raiz quadrada de x mais 1, fim da raiz\r\n");
        server.Stop();
        run.join();
    }
}

TEST(VerbosityOption, TheProgramFlag) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{"--verbosidade", "breve", "--ler", "sqrt(x+1)"}, 0, "raiz quadrada de x mais 1\n"},
        {{"--ler", "sqrt(x+1)", "--verbosidade", "breve"}, 0, "raiz quadrada de x mais 1\n"},
        {{"--ler", "sqrt(x)", "--verbosidade", "detalhada"}, 0, "raiz quadrada de x, fim da raiz\n"},
        {{"--ler", "sqrt(x)", "--verbosidade", "normal"}, 0, "raiz quadrada de x\n"},
        {{"--ler", "sqrt(x)", "--verbosidade"}, 2, ""},
        {{"--ler", "sqrt(x)", "--verbosidade", "longa"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(oxtest::RunProgram(c.args, &out, &err), c.status) << c.args[0];
        EXPECT_EQ(out, c.out) << c.args[0] << " " << c.args[1];
        if (c.status == 2) {
            EXPECT_NE(err.find("breve, normal ou detalhada"), std::string::npos);
        }
    }
}

}  // namespace
