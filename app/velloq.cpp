// Velloq: starts the window system, creates the windows in their fixed order with only the
// main window shown, and runs the event loop until the main window closes.
#include <QApplication>

#include "editor/qtmessagesink.h"
#include "editor/uabout.h"
#include "editor/udicasform.h"
#include "editor/uelo.h"
#include "editor/ufigura.h"
#include "editor/uinfoDoc.h"
#include "editor/velloqPrinc.h"
#include "platform/messages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloq"));

    QtMessageSink sink;
    messages::Install(&sink);

    // Form1 first: its creation sets the shared variables before any other window exists.
    TForm1 Form1;
    TOKEloDlg OKEloDlg(&Form1);
    TOKFiguraDlg OKFiguraDlg(&Form1);
    TAboutBox AboutBox(&Form1);
    Tform_infoDoc form_infoDoc(&Form1);
    Form1.setInfoDialog(&form_infoDoc);
    TdicasForm dicasForm(&Form1);

    Form1.show();
    Form1.activateWindow();
    const int status = QApplication::exec();
    messages::Install(nullptr);
    return status;
}
