#pragma once
// What the document's account and the line fields' account share: a widget whose text screen
// readers read and edit, plain text given as one run of no attributes (a reader splits a line by
// those runs, and Qt's empty runs cut a letter off).
#include <QAccessibleWidget>

class EditableTextAccessible : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleEditableTextInterface {
public:
    explicit EditableTextAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectableText = true;
        s.readOnly = readOnly();
        s.editable = !readOnly();
        return s;
    }

    QString attributes(int offset, int* start, int* end) const override {
        Q_UNUSED(offset);
        *start = 0;
        *end = characterCount();
        return {};
    }
    // textAtOffset, textBeforeOffset and textAfterOffset are the interface's own.

    void deleteText(int start, int end) override { replaceText(start, end, {}); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }

protected:
    virtual bool readOnly() const = 0;
};
