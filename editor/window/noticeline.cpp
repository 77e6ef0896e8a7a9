#include "editor/window/noticeline.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

#include "editor/window/editorparts.h"

namespace {

constexpr const char* kName = "noticeLine";

// The line as screen readers see it: a notification, which a reader announces each time it is
// shown, named by its text.
class NoticeAccessible final : public QAccessibleWidget {
public:
    explicit NoticeAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* noticeInterface(const QString&, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || label->objectName() != QLatin1String(kName)) return nullptr;
    return new NoticeAccessible(label);
}

}  // namespace

QLabel* MakeNoticeLine(QWidget* parent) {
    static const bool known = (QAccessible::installFactory(noticeInterface), true);
    Q_UNUSED(known);
    auto* line = new QLabel(parent);
    line->setObjectName(QLatin1String(kName));
    line->setTextFormat(Qt::PlainText);  // a line of the text is shown as it is, never as markup
    line->setContentsMargins(8, 0, 8, 0);
    line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    line->hide();  // an empty line would be announced as an empty notification
    return line;
}

void Announce(const EditorParts& parts, const QString& text) {
    auto* line = parts.window->findChild<QLabel*>(QLatin1String(kName));
    if (!line) return;
    // Shown anew, the line is announced.
    line->hide();
    line->setText(text);
    line->setToolTip(text);
    if (!text.isEmpty()) line->show();
}
