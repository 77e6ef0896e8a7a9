#include "editor/window/fieldaccessible.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

#include "editor/window/editabletextaccessible.h"

namespace {

class FieldAccessible final : public EditableTextAccessible {
public:
    explicit FieldAccessible(QLineEdit* field) : EditableTextAccessible(field) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return field()->text();
        QString said = QAccessibleWidget::text(t);
        if (said.isEmpty() && t == QAccessible::Description) said = field()->placeholderText();
        return said;
    }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) {
            QAccessibleWidget::setText(t, text);
            return;
        }
        if (!field()->isReadOnly()) field()->setText(text);
    }

    QString text(int start, int end) const override { return field()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(field()->text().size()); }

    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(position); }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || !field()->hasSelectedText()) return;
        *start = field()->selectionStart();
        *end = *start + field()->selectionLength();
    }
    int selectionCount() const override { return field()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) field()->deselect();
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0) field()->setSelection(start, end - start);
    }

    QRect characterRect(int offset) const override {
        // Where the caret would stand before the character, one character wide.
        const QString text = field()->text();
        const QFontMetrics metrics = field()->fontMetrics();
        const QRect box = field()->contentsRect();
        const int left = box.left() + metrics.horizontalAdvance(text.left(offset));
        const int width = offset < text.size() ? metrics.horizontalAdvance(text.at(offset)) : 1;
        const QRect r(left, box.top(), std::max(1, width), box.height());
        return QRect(field()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = field()->mapFromGlobal(point);
        if (!field()->rect().contains(local)) return -1;
        return field()->cursorPositionAt(local);
    }
    void scrollToSubstring(int start, int end) override {
        Q_UNUSED(start);
        field()->setCursorPosition(end);  // the field scrolls to its caret
    }
    void replaceText(int start, int end, const QString& text) override {
        if (field()->isReadOnly()) return;
        QString now = field()->text();
        start = std::clamp(start, 0, static_cast<int>(now.size()));
        end = std::clamp(end, start, static_cast<int>(now.size()));
        field()->setText(now.replace(start, end - start, text));
    }

private:
    bool readOnly() const override { return field()->isReadOnly(); }
    QLineEdit* field() const { return static_cast<QLineEdit*>(widget()); }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className != QLatin1String("QLineEdit")) return nullptr;
    auto* field = qobject_cast<QLineEdit*>(object);
    if (!field || field->echoMode() != QLineEdit::Normal) return nullptr;
    if (qobject_cast<QAbstractSpinBox*>(field->parent()) || qobject_cast<QComboBox*>(field->parent())) return nullptr;
    return new FieldAccessible(field);
}

}  // namespace

void ReportFieldsWhole() {
    static const bool installed = (QAccessible::installFactory(Factory), true);
    Q_UNUSED(installed);
}
