#pragma once
// What the accessibility bus says of screen readers: a screen reader sets the bus's
// ScreenReaderEnabled status while it runs, which other assistive clients (a magnifier, an
// on-screen keyboard, a test tool) leave alone. The status is read without waiting (the window
// never blocks on the bus) and followed as it changes.
#include <optional>

#include <QDBusConnection>
#include <QObject>

class ScreenReaderStatus : public QObject {
    Q_OBJECT
public:
    // Asks bus for the status and follows its changes. A connection that is not connected
    // leaves the status unknown.
    explicit ScreenReaderStatus(const QDBusConnection& bus, QObject* parent = nullptr);

    // True or false once the bus has answered; unknown before that, when no bus or no
    // accessibility service answers, or when the answer is no boolean.
    std::optional<bool> enabled() const { return enabled_; }

    // The status on the session bus, asked once a Qt application runs; unknown without one.
    static std::optional<bool> OnSessionBus();

private slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    std::optional<bool> enabled_;
    bool changeSeen_ = false;
};
