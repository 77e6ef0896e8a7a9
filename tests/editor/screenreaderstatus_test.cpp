// The screen-reader status as the accessibility bus tells it: a private bus with a stand-in for
// the accessibility service, whose status is on, off or changes while the program runs.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtTest>

#include "editor/text/screenreaderstatus.h"

class FakeAccessibilityStatus : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool ScreenReaderEnabled READ screenReaderEnabled)
    Q_PROPERTY(bool IsEnabled READ isEnabled)
public:
    bool screenReaderEnabled() const { return screenReader; }
    bool isEnabled() const { return true; }
    bool screenReader = false;
};

class ScreenReaderStatusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void followsTheBus_data();
    void followsTheBus();
    void noBusIsUnknown();

private:
    QTemporaryFile config_;
    QProcess daemon_;
    QString address_;
};

void ScreenReaderStatusTest::initTestCase() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) QSKIP("dbus-daemon is missing");
    // A bus of this test's own, on a local socket, that starts no service (the desktop's
    // accessibility service among them); ended by the process object with the test.
    QVERIFY(config_.open());
    config_.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                  "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    config_.flush();
    daemon_.start(program, {"--config-file=" + config_.fileName(), "--nofork", "--nopidfile", "--print-address=1"});
    QVERIFY(daemon_.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(daemon_.canReadLine(), 5000);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    QVERIFY(!address_.isEmpty());
}

void ScreenReaderStatusTest::cleanupTestCase() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.kill();
    daemon_.waitForFinished(5000);
}

void ScreenReaderStatusTest::followsTheBus_data() {
    QTest::addColumn<bool>("service");          // the accessibility service is on the bus
    QTest::addColumn<bool>("atStart");          // its status when asked
    QTest::addColumn<QList<bool>>("changes");   // announced afterwards, in order
    QTest::addColumn<int>("expected");          // -1 unknown, 0 off, 1 on
    QTest::newRow("a screen reader runs") << true << true << QList<bool>{} << 1;
    QTest::newRow("no screen reader, another client may listen") << true << false << QList<bool>{} << 0;
    QTest::newRow("a screen reader starts later") << true << false << QList<bool>{true} << 1;
    QTest::newRow("the screen reader stops") << true << true << QList<bool>{false} << 0;
    QTest::newRow("no accessibility service: unknown") << false << false << QList<bool>{} << -1;
}

void ScreenReaderStatusTest::followsTheBus() {
    QFETCH(bool, service);
    QFETCH(bool, atStart);
    QFETCH(QList<bool>, changes);
    QFETCH(int, expected);
    const QString row = QString::fromUtf8(QTest::currentDataTag());
    QDBusConnection serviceBus = QDBusConnection::connectToBus(address_, "service " + row);
    QDBusConnection clientBus = QDBusConnection::connectToBus(address_, "client " + row);
    QVERIFY(serviceBus.isConnected() && clientBus.isConnected());
    FakeAccessibilityStatus fake;
    fake.screenReader = atStart;
    if (service) {
        QVERIFY(serviceBus.registerObject("/org/a11y/bus", &fake, QDBusConnection::ExportAllProperties));
        QVERIFY(serviceBus.registerService("org.a11y.Bus"));
    }

    ScreenReaderStatus status(clientBus);
    QCOMPARE(status.enabled(), std::optional<bool>());  // never waits for the bus
    if (service) QTRY_VERIFY(status.enabled().has_value());
    else QTest::qWait(300);
    for (bool now : changes) {
        fake.screenReader = now;
        QDBusMessage changed = QDBusMessage::createSignal("/org/a11y/bus", "org.freedesktop.DBus.Properties",
                                                          "PropertiesChanged");
        changed << QStringLiteral("org.a11y.Status") << QVariantMap{{"ScreenReaderEnabled", now}} << QStringList{};
        QVERIFY(serviceBus.send(changed));
        QTRY_COMPARE(status.enabled(), std::optional<bool>(now));
    }
    QCOMPARE(status.enabled(), expected < 0 ? std::optional<bool>() : std::optional<bool>(expected == 1));

    if (service) {
        serviceBus.unregisterService("org.a11y.Bus");
        serviceBus.unregisterObject("/org/a11y/bus");
    }
    QDBusConnection::disconnectFromBus("service " + row);
    QDBusConnection::disconnectFromBus("client " + row);
}

void ScreenReaderStatusTest::noBusIsUnknown() {
    ScreenReaderStatus status(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none"));
    QTest::qWait(50);
    QCOMPARE(status.enabled(), std::optional<bool>());
}

QTEST_MAIN(ScreenReaderStatusTest)
#include "screenreaderstatus_test.moc"
