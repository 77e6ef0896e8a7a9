#pragma once
// A label as screen readers see it: named by the text it shows, in the role given (a
// notification, which a reader announces each time it shows; or a role a reader says no word for).
#include <QAccessibleWidget>
#include <QLabel>

class LabelNamedByText final : public QAccessibleWidget {
public:
    LabelNamedByText(QLabel* label, QAccessible::Role role) : QAccessibleWidget(label, role) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};
