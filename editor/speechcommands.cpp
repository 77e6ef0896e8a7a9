// The "&Falar" commands of the main window: the window finds the caret's line and the start
// folder; the speech module does the rest.
#include <QPlainTextEdit>
#include <QTextBlock>

#include "editor/editops.h"
#include "editor/uvars.h"
#include "editor/velloqPrinc.h"
#include "platform/codepage.h"
#include "speech/falar.h"

void TForm1::Formula2Click() {
    const LineColumn at = CaretLineColumn(Memo1);
    const QTextBlock line = Memo1->document()->findBlockByNumber(at.line);
    const QString text = line.isValid() ? line.text() : QString();
    falar::Formula2(codepage::Utf8ToCp1252(text.toStdString()));
}

void TForm1::LigarOrmivox1Click() { falar::LigarOrmivox(uvars::StartFolder); }
