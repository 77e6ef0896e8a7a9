#pragma once
// A command that says itself what it did ("selecionado: 2 á", "Fórmula inserida: ...") hands the
// keyboard back to the text without the screen reader hearing of it: told that the text took the
// focus, or that its caret moved, the reader would first read the whole raw line, and the
// command's own words would come after it or cut it. The reader learns where the focus is at the
// next key, from the caret's move, as it always does.
class QAccessibleEvent;
class QWidget;

// The next time widget takes the focus, within withinMs milliseconds, screen readers are not
// told. Called before the window that holds the focus closes.
void TakeFocusQuietly(QWidget* widget, int withinMs = 1000);

// While it lives, screen readers hear nothing of widget (its text changing, its caret moving):
// a command that changes the text says the change itself.
class QuietWhileChanging {
public:
    explicit QuietWhileChanging(QWidget* widget);
    ~QuietWhileChanging();
    QuietWhileChanging(const QuietWhileChanging&) = delete;
    QuietWhileChanging& operator=(const QuietWhileChanging&) = delete;

private:
    QWidget* widget_;
};

// Whether event reaches screen readers; a focus it keeps from them counts as the one awaited.
bool PassesToScreenReaders(const QAccessibleEvent& event);
