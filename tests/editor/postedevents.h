#pragma once
// Negative checks ("no dialog came up", "nothing was loaded") wait for proof that the program
// has moved on rather than for a fixed time: a marker queued behind the events posted so far.
#include <QCoreApplication>
#include <QTest>
#include <memory>

// Returns once every event posted before the call has been handled, and those they posted in
// turn, rounds deep; false when that takes longer than timeoutMs.
inline bool processPostedEvents(int rounds = 3, int timeoutMs = 30000) {
    for (int round = 0; round < rounds; ++round) {
        auto reached = std::make_shared<bool>(false);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [reached] { *reached = true; }, Qt::QueuedConnection);
        if (!QTest::qWaitFor([&] { return *reached; }, timeoutMs)) return false;
    }
    return true;
}
