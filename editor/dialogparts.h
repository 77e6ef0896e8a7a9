#pragma once
// Small pieces the dialogs share.
#include <QPushButton>
#include <QString>

enum class Press { Default, Other };

// A push button with its objectName (how tests and the window find it). The default button
// answers Enter; the others never take Enter over.
inline QPushButton* NamedButton(QWidget* parent, const char* objectName, const QString& caption,
                                Press press = Press::Other) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    if (press == Press::Default) button->setDefault(true);
    else button->setAutoDefault(false);
    return button;
}
