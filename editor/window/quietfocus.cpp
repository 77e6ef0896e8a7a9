#include "editor/window/quietfocus.h"

#include <QAccessible>
#include <QDeadlineTimer>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

struct Quiet {
    QPointer<QWidget> widget;
    bool focusOnly = true;     // else every event of the widget
    QDeadlineTimer until;      // a focus that never comes stops being awaited
};

std::vector<Quiet>& quiets() {
    static std::vector<Quiet> list;
    return list;
}

// A widget that took the focus quietly still owes screen readers that focus: until they hear
// of it, they take its caret for another window's and say nothing of it. The next key in it
// tells them, and they read the line the key brings.
class FocusOwed final : public QObject {
public:
    explicit FocusOwed(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* widget = static_cast<QWidget*>(watched);
        deleteLater();
        widget->removeEventFilter(this);
        if (widget->hasFocus()) {
            QAccessibleEvent focus(widget, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
        return false;
    }
};

std::vector<QPointer<FocusOwed>>& owedFocuses() {
    static std::vector<QPointer<FocusOwed>> list;
    return list;
}

void settleOwed(QWidget* widget, bool owed) {
    auto& list = owedFocuses();
    list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
    const auto before = std::find_if(list.begin(), list.end(), [widget](const QPointer<FocusOwed>& o) { return o->parent() == widget; });
    if (owed && before == list.end()) list.emplace_back(new FocusOwed(widget));
    if (!owed && before != list.end()) {
        widget->removeEventFilter(*before);
        (*before)->deleteLater();
        list.erase(before);
    }
}

QAccessible::UpdateHandler previousHandler = nullptr;
bool installed = false;

bool isOf(const QObject* object, const QWidget* widget) {
    for (; object; object = object->parent())
        if (object == widget) return true;  // the text's viewport and scroll bars are the text's
    return false;
}

void passOn(QAccessibleEvent* event);

void handler(QAccessibleEvent* event) {
    if (PassesToScreenReaders(*event)) passOn(event);
}

void uninstallWhenIdle() {
    if (!installed || !quiets().empty()) return;
    QAccessible::installUpdateHandler(previousHandler);
    installed = false;
}

void passOn(QAccessibleEvent* event) {
    if (previousHandler) {
        previousHandler(event);
    } else {
        // Without a handler the event goes to the platform's accessibility bridge.
        QAccessible::installUpdateHandler(nullptr);
        QAccessible::updateAccessibility(event);
        QAccessible::installUpdateHandler(handler);
    }
    uninstallWhenIdle();
}

void add(QWidget* widget, bool focusOnly, int withinMs) {
    if (!widget) return;
    if (!installed) {
        previousHandler = QAccessible::installUpdateHandler(handler);
        installed = true;
    }
    quiets().push_back({widget, focusOnly, QDeadlineTimer(withinMs)});
}

}  // namespace

bool PassesToScreenReaders(const QAccessibleEvent& event) {
    auto& list = quiets();
    list.erase(std::remove_if(list.begin(), list.end(), [](const Quiet& q) { return !q.widget || q.until.hasExpired(); }),
               list.end());
    for (auto q = list.begin(); q != list.end(); ++q) {
        if (!isOf(event.object(), q->widget)) continue;
        if (!q->focusOnly) return false;
        if (event.type() != QAccessible::Focus) continue;
        settleOwed(q->widget, true);
        list.erase(q);  // one focus only
        return false;
    }
    // A focus told some other way pays what was owed.
    if (event.type() == QAccessible::Focus)
        if (auto* widget = qobject_cast<QWidget*>(event.object())) settleOwed(widget, false);
    return true;
}

void TakeFocusQuietly(QWidget* widget, int withinMs) { add(widget, true, withinMs); }

QuietWhileChanging::QuietWhileChanging(QWidget* widget) : widget_(widget) { add(widget, false, 60 * 60 * 1000); }

QuietWhileChanging::~QuietWhileChanging() {
    auto& list = quiets();
    list.erase(std::remove_if(list.begin(), list.end(), [this](const Quiet& q) { return !q.focusOnly && q.widget == widget_; }),
               list.end());
    uninstallWhenIdle();
}
