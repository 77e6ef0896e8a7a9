// The server under floods, on real sockets bound to 127.0.0.1: many long formulas against one
// short request, a full connection table, pipelined long and short requests. Each row runs
// against a fresh server and finishes in a few seconds; the large figures belong to oxload.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "oxserver/server.h"
#include "test_support.h"

namespace {

using oxtest::Client;

std::string longRequest() {
    std::string formula;
    while (formula.size() < 65000) formula += "x+1-y*2/(3)^a ";
    formula.resize(65000);
    return "`" + formula + "`";
}

// Holds the server between two rounds of work, so that what a test sends meanwhile reaches it
// all at once. Open, it holds nothing.
class Gate {
public:
    // On the serving thread, before each wait for news.
    void pass() {
        std::unique_lock lock(mutex_);
        ++arrivals_;
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_ || rounds_ > 0; });
        if (!open_) --rounds_;
        held_ = false;
    }
    // Holds the server from its next round on (it may first need news to get there).
    void close() {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    // True once the server is held.
    bool held() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kTimeLimit, [this] { return held_; });
    }
    // Lets the held server do one round of work; true once it is held again after it.
    bool letOneRoundThrough() {
        std::unique_lock lock(mutex_);
        const int before = arrivals_;
        rounds_ = 1;
        changed_.notify_all();
        return changed_.wait_for(lock, kTimeLimit, [&] { return held_ && arrivals_ > before; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    static constexpr std::chrono::seconds kTimeLimit{30};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    bool held_ = false;
    int rounds_ = 0;
    int arrivals_ = 0;
};

struct Served {
    oxserver::Server& server;
    Gate& gate;
    // True once the server has taken in (read and acted on) bytes sent by the test in all.
    bool tookIn(std::uint64_t bytes) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (server.BytesTakenIn() < bytes) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // polling, with a deadline
        }
        return true;
    }
};

struct Row {
    const char* name;
    std::size_t maxConnections;
    std::function<void(std::uint16_t port, Served& served)> body;
};

TEST(ServerFloods, Table) {
    const Row rows[] = {
        {"a short request is answered before most long ones made whole just ahead of it", 4096,
         [](std::uint16_t port, Served& served) {
             const std::string request = longRequest();
             std::vector<Client> flood;
             for (int i = 0; i < 100; ++i) {
                 flood.emplace_back(port);
                 ASSERT_TRUE(flood.back().send(request.substr(0, request.size() - 1))) << i;
             }
             Client editor(port);
             ASSERT_TRUE(served.tookIn(100 * (request.size() - 1)));
             // Held still, the server meets the closing backquotes and the short request all
             // in one round; the first backquote wakes it, should it be waiting for news.
             served.gate.close();
             ASSERT_TRUE(flood.front().send("`"));
             ASSERT_TRUE(served.gate.held());
             for (std::size_t i = 1; i < flood.size(); ++i) ASSERT_TRUE(flood[i].send("`"));
             ASSERT_TRUE(editor.send("`1`"));
             for (auto& c : flood) ASSERT_TRUE(c.delivered());
             ASSERT_TRUE(editor.delivered());
             ASSERT_TRUE(served.gate.letOneRoundThrough());
             EXPECT_EQ(editor.reply(), "1\r\n");
             // The long replies made by the time the short one was, counted while the server
             // is held: no more can come meanwhile.
             std::vector<pollfd> fds;
             for (auto& c : flood) fds.push_back({c.fd(), POLLIN, 0});
             const int answered = ::poll(fds.data(), fds.size(), 0);
             EXPECT_LT(answered, 50);
             served.gate.open();
         }},
        {"long and short requests pipelined on one connection are answered in order", 4096,
         [](std::uint16_t port, Served&) {
             Client c(port);
             ASSERT_TRUE(c.send(longRequest() + "`1`" + longRequest() + "`2`"));
             const std::string first = c.reply();
             EXPECT_GT(first.size(), 100u);
             EXPECT_EQ(c.reply(), "1\r\n");
             EXPECT_EQ(c.reply(), first);
             EXPECT_EQ(c.reply(), "2\r\n");
         }},
        {"a full server closes an idle connection, never one of a history waiting for a reply", 3,
         [](std::uint16_t port, Served& served) {
             Client a(port), b(port), idle(port);
             for (Client* w : {&a, &b}) {
                 ASSERT_TRUE(w->send("`0`"));
                 ASSERT_EQ(w->reply(), "0\r\n");
             }
             ASSERT_TRUE(a.send("`x+"));  // a request under way: its sender waits for the reply
             ASSERT_TRUE(b.send("`x+"));
             ASSERT_TRUE(served.tookIn(4 * 3));  // the two requests and the two beginnings
             ASSERT_TRUE(idle.send("`1`"));  // the connection used last, but now idle
             ASSERT_EQ(idle.reply(), "1\r\n");
             Client d(port);
             ASSERT_TRUE(d.send("`2`"));
             EXPECT_EQ(d.reply(), "2\r\n");
             EXPECT_TRUE(idle.closedByServer());
             ASSERT_TRUE(a.send("1`"));
             EXPECT_EQ(a.reply(), "x mais 1\r\n");
         }},
        {"at the limit, a connection that never completed a request goes before the editor", 3,
         [](std::uint16_t port, Served&) {
             Client editor(port);
             ASSERT_TRUE(editor.send("`1`"));
             ASSERT_EQ(editor.reply(), "1\r\n");
             Client silent(port), quiet(port);  // connected after the editor, never asked anything
             Client late(port);
             EXPECT_TRUE(silent.closedByServer());
             ASSERT_TRUE(late.send("`2`"));
             EXPECT_EQ(late.reply(), "2\r\n");
             ASSERT_TRUE(editor.send("`3`"));
             EXPECT_EQ(editor.reply(), "3\r\n");
             ASSERT_TRUE(quiet.send("`4`"));
             EXPECT_EQ(quiet.reply(), "4\r\n");
         }},
        {"at the limit, of the connections with a history the newest goes first", 3,
         [](std::uint16_t port, Served&) {
             Client editor(port), second(port), newest(port);
             for (Client* c : {&editor, &second, &newest}) {
                 ASSERT_TRUE(c->send("`1`"));
                 ASSERT_EQ(c->reply(), "1\r\n");
             }
             ASSERT_TRUE(editor.send("`2`"));  // the editor spoke last: still the oldest
             ASSERT_EQ(editor.reply(), "2\r\n");
             Client late(port);
             ASSERT_TRUE(late.send("`3`"));
             EXPECT_EQ(late.reply(), "3\r\n");
             EXPECT_TRUE(newest.closedByServer());
             for (Client* c : {&editor, &second}) {
                 ASSERT_TRUE(c->send("`4`"));
                 EXPECT_EQ(c->reply(), "4\r\n");
             }
         }},
        {"a storm of new connections is taken in whole while the open editor goes on being answered", 4096,
         [](std::uint16_t port, Served&) {
             Client editor(port);
             ASSERT_TRUE(editor.send("`1`"));
             ASSERT_EQ(editor.reply(), "1\r\n");
             // Each newcomer sends bytes outside backquotes, which are read and dropped, before
             // its formula: several reads each, as a long formula takes, at little cost.
             const std::string noise(40000, 'n');
             std::vector<Client> storm;
             for (int i = 0; i < 300; ++i) {
                 storm.emplace_back(port);
                 ASSERT_TRUE(storm.back().send(noise + "`" + std::to_string(i) + "`")) << i;
                 if (i % 50 == 49) {
                     ASSERT_TRUE(editor.send("`x`"));
                     ASSERT_EQ(editor.reply(), "x\r\n") << i;
                 }
             }
             for (int i = 0; i < 300; ++i) EXPECT_EQ(storm[static_cast<std::size_t>(i)].reply(), std::to_string(i) + "\r\n");
         }},
        {"a first request under way does not keep a newcomer's place before the editor", 3,
         [](std::uint16_t port, Served&) {
             Client editor(port);
             ASSERT_TRUE(editor.send("`1`"));
             ASSERT_EQ(editor.reply(), "1\r\n");
             Client a(port), b(port);
             ASSERT_TRUE(a.send("`x+"));  // never completes a request
             ASSERT_TRUE(b.send("`x+"));
             Client late(port);
             EXPECT_TRUE(a.closedByServer());
             ASSERT_TRUE(editor.send("`2`"));
             EXPECT_EQ(editor.reply(), "2\r\n");
             ASSERT_TRUE(b.send("1`"));
             EXPECT_EQ(b.reply(), "x mais 1\r\n");
         }},
        {"when every connection has a history and waits for a reply, the new one is closed", 3,
         [](std::uint16_t port, Served& served) {
             Client a(port), b(port), c(port);
             for (Client* w : {&a, &b, &c}) {
                 ASSERT_TRUE(w->send("`0`"));
                 ASSERT_EQ(w->reply(), "0\r\n");
             }
             for (Client* w : {&a, &b, &c}) ASSERT_TRUE(w->send("`y"));
             ASSERT_TRUE(served.tookIn(3 * 3 + 3 * 2));  // three requests, three beginnings
             Client late(port);
             EXPECT_TRUE(late.closedByServer());
             for (Client* w : {&a, &b, &c}) {
                 ASSERT_TRUE(w->send("`"));
                 EXPECT_EQ(w->reply(), "y\r\n");
             }
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        oxserver::Server server;
        oxserver::ServerOptions options;
        options.port = 0;
        options.maxConnections = row.maxConnections;
        Gate gate;
        options.beforeWait = [&gate] { gate.pass(); };
        int error = 0;
        ASSERT_TRUE(server.Listen(options, &error)) << error;
        std::thread thread([&server] { server.Run(); });
        Served served{server, gate};
        row.body(server.Port(), served);
        gate.open();
        server.Stop();
        thread.join();
    }
}

}  // namespace
