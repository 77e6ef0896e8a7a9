#include "editor/text/screenreaderstatus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kStatusInterface = QStringLiteral("org.a11y.Status");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kProperty = QStringLiteral("ScreenReaderEnabled");
// The bus starts its accessibility service on the first question, which may take a moment;
// an answer later than this counts as none.
constexpr int kAnswerTimeoutMs = 5000;

std::optional<bool> asBool(const QVariant& value) {
    const QVariant plain = value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
    if (plain.metaType().id() != QMetaType::Bool) return std::nullopt;
    return plain.toBool();
}

}  // namespace

ScreenReaderStatus::ScreenReaderStatus(const QDBusConnection& bus, QObject* parent) : QObject(parent) {
    if (!bus.isConnected()) return;
    QDBusConnection connection = bus;
    connection.connect(kService, kPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                       SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    QDBusMessage ask = QDBusMessage::createMethodCall(kService, kPath, kPropertiesInterface, QStringLiteral("Get"));
    ask << kStatusInterface << kProperty;
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(ask, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        // A change announced while the question was under way is newer than its answer.
        if (changeSeen_ || reply.isError()) return;
        enabled_ = asBool(reply.value().variant());
    });
}

void ScreenReaderStatus::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                           const QStringList& invalidated) {
    if (interface != kStatusInterface) return;
    if (changed.contains(kProperty)) {
        changeSeen_ = true;
        enabled_ = asBool(changed.value(kProperty));
    } else if (invalidated.contains(kProperty)) {
        changeSeen_ = true;
        enabled_.reset();
    }
}

std::optional<bool> ScreenReaderStatus::OnSessionBus() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return std::nullopt;
    // Kept by the application, so it goes with it; asked as soon as the first caller wants it.
    static QPointer<ScreenReaderStatus> status;
    if (!status) status = new ScreenReaderStatus(QDBusConnection::sessionBus(), app);
    return status->enabled();
}
