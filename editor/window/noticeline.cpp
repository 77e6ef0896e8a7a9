#include "editor/window/noticeline.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

#include "editor/window/editorparts.h"
#include "editor/window/labelaccessible.h"

namespace {

constexpr const char* kName = "noticeLine";

QAccessibleInterface* noticeInterface(const QString&, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || label->objectName() != QLatin1String(kName)) return nullptr;
    return new LabelNamedByText(label, QAccessible::Notification);
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
