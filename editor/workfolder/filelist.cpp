#include "editor/workfolder/filelist.h"

#include <algorithm>
#include <optional>

#include <QAccessible>
#include <QCollator>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

#include "editor/workfolder/folders.h"
#include "editor/state/runstate.h"
#include "editor/window/editorparts.h"
#include "editor/window/quietfocus.h"

namespace {

// The entry's name as the file system spells it, which a name that is no valid UTF-8 keeps.
constexpr int kNameRole = Qt::UserRole;
constexpr size_t kMaxName = 999;

// The control before w in its window's Tab order, as Shift+Tab finds it from a control that
// does not keep the key for itself; w when there is none.
QWidget* previousTabStop(QWidget* w) {
    for (QWidget* p = w->previousInFocusChain(); p && p != w; p = p->previousInFocusChain())
        if ((p->focusPolicy() & Qt::TabFocus) && p->isVisible() && p->isEnabled() && p->window() == w->window())
            return p;
    return w;
}

// Names in the order a person looks for them: letters before their accents and regardless of
// case, and numbers by their value ("aula2" before "aula10"). Names that compare equal keep the
// order of their bytes, so that the order never depends on the folder's.
void sortForPeople(std::vector<std::string>& names) {
    QCollator collator(QLocale(QLocale::Portuguese, QLocale::Brazil));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<std::pair<QString, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(QString::fromStdString(name), std::move(name));
    std::sort(keyed.begin(), keyed.end(), [&collator](const auto& a, const auto& b) {
        const int order = collator.compare(a.first, b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

}  // namespace

FileList::FileList(EditorParts& parts, const RunState& run) : QObject(parts.window), parts_(parts), run_(run) {
    connect(parts_.fileListBox, &QListWidget::itemSelectionChanged, this, &FileList::selectionChanged);
    parts_.fileListBox->installEventFilter(this);
    parts_.textEdit->installEventFilter(this);
    if (QToolButton* first = parts_.button(QStringLiteral("newButton"))) first->installEventFilter(this);
}

void FileList::RefreshFileList(const std::string& name) {
    std::string wanted = name;
    if (!folders::IsFolder(wanted)) {
        const size_t slash = wanted.rfind('/');
        if (slash != std::string::npos) wanted.erase(0, slash + 1);
        if (wanted.size() > kMaxName) wanted.resize(kMaxName);
    }
    std::vector<std::string> names = folders::ListEntries(".", run_.listFilter);
    sortForPeople(names);

    QListWidget* list = parts_.fileListBox;
    bool same = list->count() == int(names.size());
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->data(kNameRole).toByteArray().toStdString() == names[size_t(i)];
    int selected = -1;
    programChange_ = true;
    // An unchanged list keeps its lines, so that a screen reader does not read it out anew.
    if (!same) list->clear();
    for (size_t i = 0; i < names.size(); ++i) {
        if (!same) {
            auto* item = new QListWidgetItem(QString::fromStdString(names[i]), list);
            item->setData(kNameRole, QByteArray::fromStdString(names[i]));
        }
        if (selected < 0 && names[i] == wanted) selected = int(i);
    }
    programChange_ = false;
    selectByProgram(selected);
}

void FileList::ClearSelection() { selectByProgram(-1); }

void FileList::selectByProgram(int row) {
    programChange_ = true;
    QListWidget* list = parts_.fileListBox;
    // A list without the keyboard reports its new current line as taking the focus: a screen
    // reader would leave the text for the list and read it out.
    std::optional<QuietWhileChanging> quiet;
    if (!list->hasFocus()) quiet.emplace(list);
    if (row < 0) {
        list->clearSelection();
        // The keyboard arriving in the list lands on a line, which a screen reader names: the
        // first one while no document of the list is open. Made current, it stays unselected
        // and loads nothing.
        if (list->count() > 0) list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    } else {
        list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        list->scrollToItem(list->item(row));
    }
    programChange_ = false;
}

void FileList::selectionChanged() {
    if (programChange_) return;
    const QList<QListWidgetItem*> items = parts_.fileListBox->selectedItems();
    if (items.isEmpty()) return;
    const std::string name = items.front()->data(kNameRole).toByteArray().toStdString();
    QMetaObject::invokeMethod(this, [this, name] { emit picked(name); }, Qt::QueuedConnection);
}

bool FileList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.fileListBox && event->type() == QEvent::FocusIn) {
        // The keyboard lands on the current line: screen readers are told which one, as when
        // the arrows move it, once the list has taken the focus.
        QMetaObject::invokeMethod(this, &FileList::announceCurrentLine, Qt::QueuedConnection);
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool release = event->type() == QEvent::KeyRelease;
    if (watched == parts_.textEdit && key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) {
        // Tab types nothing into the text; its release takes the focus to the list. A release
        // whose press came elsewhere (the Tab that brought the focus here) leaves it here.
        if (!release) {
            tabPressedInEditor_ = true;
            return true;
        }
        if (tabPressedInEditor_) parts_.fileListBox->setFocus(Qt::TabFocusReason);
        tabPressedInEditor_ = false;
        return false;
    }
    const bool backtab = key->key() == Qt::Key_Backtab ||
                         (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
    if (backtab && !release && watched != parts_.fileListBox) {
        // Shift+Tab walks back the ring that Tab walks: from the first tool button to the
        // list, which Tab reaches from the editor although the list is no Tab stop of its own,
        // and from the editor, which keeps Tab for itself, to the last tool button.
        QWidget* previous = watched == parts_.textEdit ? previousTabStop(parts_.textEdit) : parts_.fileListBox;
        previous->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    if (watched == parts_.fileListBox && release) listKeyReleased(key->key());
    return false;
}

void FileList::listKeyReleased(int key) {
    // Enter opens the current line when it is not the open one, as Space and the arrows do:
    // the first line too, which the keyboard lands on unselected.
    QListWidget* list = parts_.fileListBox;
    QListWidgetItem* current = list->currentItem();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && current && !current->isSelected())
        list->setCurrentItem(current, QItemSelectionModel::ClearAndSelect);
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        parts_.textEdit->setFocus(Qt::OtherFocusReason);
}

void FileList::announceCurrentLine() {
    QListWidget* list = parts_.fileListBox;
    const int row = list->currentRow();
    if (row < 0 || !list->hasFocus()) return;
    QAccessibleEvent focus(list, QAccessible::Focus);
    focus.setChild(row);
    QAccessible::updateAccessibility(&focus);
}
