#include "editor/window/menuaccessible.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>


namespace {

constexpr const char* kSpokenName = "velloqSpokenName";
constexpr const char* kEntriesFocused = "velloqEntriesFocused";  // since the menu opened

// Counts the entries that take the focus in each menu from the time it opens.
class MenuOpenings final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* menu = qobject_cast<QMenu*>(watched)) {
                menu->setProperty(kEntriesFocused, 0);
                if (!menu->property(kCounted).toBool()) {
                    menu->setProperty(kCounted, true);
                    connect(menu, &QMenu::hovered, menu, [menu] {
                        menu->setProperty(kEntriesFocused, menu->property(kEntriesFocused).toInt() + 1);
                    });
                }
            }
        return false;
    }

private:
    static constexpr const char* kCounted = "velloqEntriesCounted";
};

// The menu or menu bar that shows entry; nullptr while none does.
QWidget* ownerOf(const QAction* entry) {
    for (QObject* o : entry->associatedObjects())
        if (qobject_cast<QMenu*>(o) || qobject_cast<QMenuBar*>(o)) return static_cast<QWidget*>(o);
    return nullptr;
}

QAction* activeEntryOf(QWidget* owner) {
    if (auto* menu = qobject_cast<QMenu*>(owner)) return menu->activeAction();
    if (auto* bar = qobject_cast<QMenuBar*>(owner)) return bar->activeAction();
    return nullptr;
}

// A menu entry as Qt presents one, with the spoken name in place of the caption and the
// checkable state of a check entry.
class MenuEntryAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuEntryAccessible(QWidget* owner, QAction* entry) : owner_(owner), entry_(entry) {}

    bool isValid() const override { return owner_ && entry_; }
    QObject* object() const override { return entry_; }
    QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner_); }
    int childCount() const override { return entry_->menu() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && entry_->menu() ? QAccessible::queryAccessibleInterface(entry_->menu()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && entry_->menu() && child->object() == entry_->menu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* sub = child(0);
        return sub && sub->rect().contains(x, y) ? sub : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QVariant spoken = entry_->property(kSpokenName);
            const QString name = spoken.isValid() ? spoken.toString() : WithoutAccessMark(entry_->text());
            // The first entry that takes the focus as a menu opens says the menu's name first:
            // screen readers say no name for the open menu itself.
            auto* menu = qobject_cast<QMenu*>(owner_.data());
            if (menu && menu->activeAction() == entry_ && menu->property(kEntriesFocused).toInt() <= 1)
                return menu->accessibleName() + QStringLiteral(", menu: ") + name;
            return name;
        }
        if (t == QAccessible::Accelerator && !entry_->shortcut().isEmpty())
            return entry_->shortcut().toString(QKeySequence::NativeText);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        QRect r;
        if (auto* menu = qobject_cast<QMenu*>(owner_.data())) r = menu->actionGeometry(entry_);
        else if (auto* bar = qobject_cast<QMenuBar*>(owner_.data())) r = bar->actionGeometry(entry_);
        return r.translated(owner_->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override {
        if (entry_->isSeparator()) return QAccessible::Separator;
        // The desktop's bridge passes on no "checkable" state for a menu entry, and a reader
        // then says the state of a check entry only while it is checked: as a check box, it is
        // said either way ("não selecionada").
        return entry_->isCheckable() ? QAccessible::CheckBox : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!owner_->isVisible() || !entry_->isVisible()) s.invisible = true;
        if (activeEntryOf(owner_) == entry_) s.focused = true;
        if (entry_->isSeparator() || !entry_->isEnabled()) s.disabled = true;
        s.checkable = entry_->isCheckable();
        s.checked = entry_->isChecked();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        if (entry_->isSeparator()) return {};
        return {entry_->menu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        if (!entry_->isEnabled()) return;
        if (name == pressAction()) {
            entry_->trigger();
        } else if (name == showMenuAction() && entry_->menu()) {
            if (entry_->menu()->isVisible()) entry_->menu()->hide();
            else if (auto* bar = qobject_cast<QMenuBar*>(owner_.data())) bar->setActiveAction(entry_);
            else if (auto* menu = qobject_cast<QMenu*>(owner_.data())) menu->setActiveAction(entry_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QWidget> owner_;
    QPointer<QAction> entry_;
};

// An open menu, whose entries are those above, a check entry among them.
class MenuAccessible final : public QAccessibleWidget {
public:
    explicit MenuAccessible(QMenu* menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    QMenu* menu() const { return static_cast<QMenu*>(widget()); }

    int childCount() const override { return int(menu()->actions().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAction*> entries = menu()->actions();
        return index >= 0 && index < entries.size() ? QAccessible::queryAccessibleInterface(entries[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(menu()->actions().indexOf(qobject_cast<QAction*>(child->object()))) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAction* entry = menu()->actionAt(menu()->mapFromGlobal(QPoint(x, y)));
        return entry && !entry->isSeparator() ? QAccessible::queryAccessibleInterface(entry) : nullptr;
    }
    QAccessibleInterface* parent() const override {
        // The entry that opens it, on the menu bar or in another menu.
        if (QAction* opener = menu()->menuAction(); opener && ownerOf(opener))
            return QAccessible::queryAccessibleInterface(opener);
        return QAccessibleWidget::parent();
    }
    QString text(QAccessible::Text t) const override {
        const QString given = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && given.isEmpty()) return WithoutAccessMark(menu()->title());
        return given;
    }
};

QAccessibleInterface* menuEntryInterface(const QString&, QObject* object) {
    if (auto* menu = qobject_cast<QMenu*>(object)) return new MenuAccessible(menu);
    auto* entry = qobject_cast<QAction*>(object);
    if (!entry) return nullptr;
    QWidget* owner = ownerOf(entry);
    return owner ? new MenuEntryAccessible(owner, entry) : nullptr;
}

}  // namespace

void SetSpokenName(QAction* entry, const QString& name) { entry->setProperty(kSpokenName, name); }

void InstallMenuEntryAccessibility() {
    static const bool installed = (QAccessible::installFactory(menuEntryInterface),
                                   QCoreApplication::instance()->installEventFilter(new MenuOpenings(QCoreApplication::instance())), true);
    Q_UNUSED(installed);
}

QString WithoutAccessMark(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 >= caption.size()) break;
            ++i;  // "&&" stands for one "&"; a lone "&" marks the next letter
        }
        plain += caption[i];
    }
    return plain;
}
