// The "Sintetizador" dialog: its settings go into effect and into the program settings file
// and come back from it; Cancelar changes nothing; every control has a name a screen reader
// can say; the voice list comes from the voice.
#include <QAccessible>
#include <QApplication>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "editor/speaking/voicesettingsdialog.h"
#include "editor/mainwindow/mainwindow.h"
#include "modalanswer.h"
#include "scriptedsink.h"
#include "speech/speechcommands.h"
#include "tests/speech/recording_voice.h"

using speechsettings::SpeechSettings;
using speechsettings::Verbosity;

class SintetizadorTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(tmp_.isValid());
        QVERIFY(QDir::setCurrent(tmp_.path()));
        QFile::remove(tmp_.path() + "/velloq.ini");
        voice_.voices = {"Portuguese (Brazil)", "Portuguese (Portugal)"};
        voice_.voicesError.clear();
    }
    void cleanup() {
        speechcommands::ApplySettings({}, "");
        QDir::setCurrent(startDir_);
    }

    void everyControlHasAnAccessibleName() {
        VoiceSettingsDialog dialog(tmp_.path().toStdString());
        dialog.setSettings({});
        dialog.show();
        int controls = 0;
        for (QWidget* w : dialog.findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&dialog)) continue;
            ++controls;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY(a);
            QVERIFY2(!a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(controls, 11);  // voice, three sliders, three levels, the switch, three buttons
    }

    // Tab, forwards and back, enters the group of reading levels at the level chosen.
    void tabLandsOnTheChosenLevel_data() {
        QTest::addColumn<int>("verbosity");
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QString>("landsOn");
        QTest::newRow("normal, Tab") << int(Verbosity::Normal) << "volumeSlider" << false << "normalLevel";
        QTest::newRow("normal, Shift+Tab") << int(Verbosity::Normal) << "connectAutomaticallyCheck" << true << "normalLevel";
        QTest::newRow("detalhada, Tab") << int(Verbosity::Detalhada) << "volumeSlider" << false << "detailedLevel";
        QTest::newRow("breve, Shift+Tab") << int(Verbosity::Breve) << "connectAutomaticallyCheck" << true << "briefLevel";
    }
    void tabLandsOnTheChosenLevel() {
        QFETCH(int, verbosity);
        QFETCH(QString, from);
        QFETCH(bool, backwards);
        QFETCH(QString, landsOn);
        VoiceSettingsDialog dialog(tmp_.path().toStdString());
        SpeechSettings s;
        s.verbosity = Verbosity(verbosity);
        dialog.setSettings(s);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* start = dialog.findChild<QWidget*>(from);
        start->setFocus(Qt::TabFocusReason);
        if (backwards) QTest::keyClick(start, Qt::Key_Backtab, Qt::ShiftModifier);
        else QTest::keyClick(start, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), landsOn);
    }

    // The arrows move through the levels, Up and Down as Left and Right, and choose the level
    // they reach.
    void arrowsChooseTheLevel_data() {
        QTest::addColumn<int>("verbosity");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("normal, Down") << int(Verbosity::Normal) << int(Qt::Key_Down) << "detailedLevel";
        QTest::newRow("normal, Up") << int(Verbosity::Normal) << int(Qt::Key_Up) << "briefLevel";
        QTest::newRow("normal, Right") << int(Verbosity::Normal) << int(Qt::Key_Right) << "detailedLevel";
        QTest::newRow("normal, Left") << int(Verbosity::Normal) << int(Qt::Key_Left) << "briefLevel";
        QTest::newRow("detalhada, Down goes round") << int(Verbosity::Detalhada) << int(Qt::Key_Down) << "briefLevel";
        QTest::newRow("breve, Up goes round") << int(Verbosity::Breve) << int(Qt::Key_Up) << "detailedLevel";
    }
    void arrowsChooseTheLevel() {
        QFETCH(int, verbosity);
        QFETCH(int, key);
        QFETCH(QString, chosen);
        VoiceSettingsDialog dialog(tmp_.path().toStdString());
        SpeechSettings s;
        s.verbosity = Verbosity(verbosity);
        dialog.setSettings(s);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QWidget* at = QApplication::focusWidget();
        for (QRadioButton* r : {dialog.briefLevel, dialog.normalLevel, dialog.detailedLevel})
            if (r->isChecked()) at = r;
        at->setFocus(Qt::TabFocusReason);
        QTest::keyClick(at, Qt::Key(key));
        QCOMPARE(QApplication::focusWidget()->objectName(), chosen);
        auto* reached = dialog.findChild<QRadioButton*>(chosen);
        QVERIFY(reached->isChecked());
        QCOMPARE(reached->focusPolicy(), Qt::StrongFocus);  // Tab comes back to it
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(reached);
        QVERIFY(face->state().checked);
    }

    // The voice box says the voice it shows, after its label.
    void voiceBoxSaysItsValue() {
        VoiceSettingsDialog dialog(tmp_.path().toStdString());
        SpeechSettings s;
        s.voice.voice = "Portuguese (Brazil)";
        dialog.setSettings(s);
        dialog.show();
        QTRY_COMPARE(dialog.voiceBox->count(), 3);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(dialog.voiceBox);
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Value), QStringLiteral("Portuguese (Brazil)"));
        // Where a screen reader on this desktop reads a list box's choice.
        QVERIFY(face->textInterface());
        QCOMPARE(face->textInterface()->text(0, face->textInterface()->characterCount()), QStringLiteral("Portuguese (Brazil)"));
        QCOMPARE(face->childCount(), 0);
        const auto labels = face->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), QStringLiteral("Voz:"));
    }

    // Ok: the settings go into effect and into velloq.ini; the dialog shows them next time.
    void okKeepsTheSettingsAndShowsThemAgain() {
        MainWindow mainWindow;
        ScriptedSink sink;
        SpeechSettings chosen;
        chosen.voice = {"Portuguese (Portugal)", 15, -20, 60};
        chosen.verbosity = Verbosity::Breve;
        chosen.autoConnect = true;
        ModalAnswer answer([&](QWidget* w) {
            auto* d = qobject_cast<VoiceSettingsDialog*>(w);
            QVERIFY(d);
            QTRY_COMPARE(d->voiceBox->count(), 3);  // the service's own choice, then its two voices
            d->voiceBox->setCurrentIndex(2);
            // The keyboard moves a slider and its value shows beside it.
            QTest::keyClick(d->rateSlider, Qt::Key_Right);
            QTest::keyClick(d->rateSlider, Qt::Key_Right);
            QTest::keyClick(d->rateSlider, Qt::Key_Right);
            QCOMPARE(d->findChild<QLabel*>("rateSliderValue")->text(), QStringLiteral("15"));
            QTest::keyClick(d->pitchSlider, Qt::Key_PageDown);
            QCOMPARE(d->pitchSlider->value(), -20);
            d->volumeSlider->setValue(60);
            d->briefLevel->click();
            d->connectAutomaticallyCheck->click();
            d->Ok->click();
        });
        mainWindow.action("voiceSettings")->trigger();
        QVERIFY(answer.answered());
        QCOMPARE(speechcommands::Settings(), chosen);
        QCOMPARE(speechsettings::Read(mainWindow.runState().programSettingsFile), chosen);
        QVERIFY(!voice_.settings.empty());
        QCOMPARE(voice_.settings.back(), chosen.voice);
        QVERIFY(mainWindow.action("connectAutomatically")->isChecked());
        QVERIFY(sink.calls.empty());

        ModalAnswer again([&](QWidget* w) {
            auto* d = qobject_cast<VoiceSettingsDialog*>(w);
            QTRY_COMPARE(d->voiceBox->count(), 3);
            QCOMPARE(d->settings(), chosen);
            d->Cancelar->click();
        });
        mainWindow.action("voiceSettings")->trigger();
        QVERIFY(again.answered());
        // A new run starts with what was kept, the menu's switch too (connecting is left out:
        // nothing listens here).
        speechcommands::ApplySettings({}, "");
        SpeechSettings kept = chosen;
        kept.autoConnect = false;
        QVERIFY(speechsettings::Write(mainWindow.runState().programSettingsFile, kept));
        MainWindow next;
        QCOMPARE(speechcommands::Settings(), kept);
        QVERIFY(!next.action("connectAutomatically")->isChecked());
    }

    // Testar speaks the sample with the settings shown; Cancelar then puts back those in
    // effect before and writes nothing.
    void testarThenCancelarChangesNothing() {
        MainWindow mainWindow;
        const SpeechSettings before = speechcommands::Settings();
        ModalAnswer answer([&](QWidget* w) {
            auto* d = qobject_cast<VoiceSettingsDialog*>(w);
            d->rateSlider->setValue(80);
            d->testButton->click();
            d->Cancelar->click();
        });
        mainWindow.action("voiceSettings")->trigger();
        QVERIFY(answer.answered());
        QVERIFY(!voice_.texts.empty());  // the sample, maybe followed by the hint to connect
        QCOMPARE(voice_.texts[0], std::string(VoiceSettingsDialog::kSample));
        QCOMPARE(voice_.settings.at(voice_.settings.size() - 2).rate, 80);
        QCOMPARE(voice_.settings.back(), before.voice);
        QCOMPARE(speechcommands::Settings(), before);
        QVERIFY(!QFile::exists(QString::fromStdString(mainWindow.runState().programSettingsFile)));
    }

    // A voice list the service cannot give: the dialog says so and keeps the voice chosen.
    void aVoiceListThatFailsIsShown() {
        voice_.voices.clear();
        voice_.voicesError = "O serviço de fala não informou suas vozes.";
        VoiceSettingsDialog dialog(tmp_.path().toStdString());
        SpeechSettings s;
        s.voice.voice = "Portuguese (Brazil)";
        dialog.setSettings(s);
        QTRY_COMPARE(dialog.voicesStatus->text(), QString::fromStdString(voice_.voicesError));
        QCOMPARE(dialog.voiceBox->count(), 2);
        QCOMPARE(dialog.settings().voice.voice, s.voice.voice);
    }

private:
    QString startDir_ = QDir::currentPath();
    QTemporaryDir tmp_;
    speechtest::RecordingVoice voice_;
};

QTEST_MAIN(SintetizadorTest)
#include "voicesettings_test.moc"
