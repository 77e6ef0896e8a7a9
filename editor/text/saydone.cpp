#include "editor/text/saydone.h"

#include <QTimer>
#include <QWidget>

#include "editor/text/screenreader.h"
#include "editor/window/editorparts.h"
#include "editor/window/noticeline.h"
#include "platform/codepage.h"
#include "reader/reader.h"
#include "speech/formulaspeech.h"
#include "speech/speechcommands.h"

void SayDone(const EditorParts& parts, const QString& text, int afterFocusMs) {
    if (text.isEmpty()) return;
    // The notice line shows it in any case; it is heard from the screen reader, which announces
    // the line, or else from the program's voice.
    if (!screenreader::Running()) {
        Announce(parts, text);
        // A voice that never started is not worth a message box over a notice already shown.
        if (formulaspeech::Voice()) formulaspeech::SpeakText(codepage::Utf8ToCp1252(text.toStdString()));
        return;
    }
    if (afterFocusMs <= 0) {
        Announce(parts, text);
        return;
    }
    // The window owns the wait: gone, it says nothing.
    QTimer::singleShot(afterFocusMs, parts.window, [copy = parts, text] { Announce(copy, text); });
}

reader::Verbosity VerbosityInEffect() {
    reader::Verbosity verbosity = reader::Verbosity::Normal;
    reader::ParseVerbosity(speechsettings::VerbosityName(speechcommands::Settings().verbosity), verbosity);
    return verbosity;
}

QString ReadingOf(const QString& text, reader::Verbosity verbosity) {
    const std::string composed = formulaspeech::ComposeLine(codepage::Utf8ToCp1252(text.toStdString()), [verbosity](std::string_view f) {
        return codepage::Utf8ToCp1252(reader::ReadFormula(codepage::Cp1252ToUtf8(std::string(f)), verbosity));
    });
    return QString::fromStdString(codepage::Cp1252ToUtf8(composed)).simplified();
}

QString ReadingOf(const QString& text) { return ReadingOf(text, VerbosityInEffect()); }
