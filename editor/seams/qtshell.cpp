#include "editor/seams/qtshell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool QtShell::Open(const std::string& target) {
    const QString text = QString::fromStdString(target);
    // A bare name means the file in the current directory, as it would for any file call.
    const QUrl url = shell::IsAddress(target) ? QUrl(text) : QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}
