#include "editor/speaking/voicesettingsdialog.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "editor/window/comboaccessible.h"
#include "editor/window/dialogparts.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"

using speechsettings::SpeechSettings;
using speechsettings::Verbosity;

namespace {

constexpr const char* kServiceVoice = "Voz padrão do serviço de fala";
constexpr const char* kAskingVoices = "Consultando as vozes do serviço de fala...";
constexpr const char* kNoPortugueseVoice = "O serviço de fala não tem outra voz em português.";

}  // namespace

VoiceSettingsDialog::VoiceSettingsDialog(std::string startFolder, QWidget* parent)
    : QDialog(parent), startFolder_(std::move(startFolder)) {
    InstallComboBoxAccessibility();
    setObjectName(QStringLiteral("voiceSettingsDialog"));
    setWindowTitle(QStringLiteral("Sintetizador"));
    setModal(true);

    auto* form = new QFormLayout;
    voiceBox = new QComboBox(this);
    voiceBox->setObjectName(QStringLiteral("voiceBox"));
    // Named by its label ("Voz:"); the voice it shows is its value.
    auto* voiceLabel = new QLabel(QStringLiteral("&Voz:"), this);
    voiceLabel->setBuddy(voiceBox);
    form->addRow(voiceLabel, voiceBox);
    voicesStatus = new QLabel(this);
    voicesStatus->setObjectName(QStringLiteral("voicesStatus"));
    voicesStatus->setWordWrap(true);
    form->addRow(QString(), voicesStatus);

    rateSlider = addLevel(form, "rateSlider", QStringLiteral("V&elocidade"));
    pitchSlider = addLevel(form, "pitchSlider", QStringLiteral("&Tom"));
    volumeSlider = addLevel(form, "volumeSlider", QStringLiteral("Vo&lume"));

    auto* verbosity = new QGroupBox(QStringLiteral("Detalhe da leitura das fórmulas"), this);
    verbosity->setObjectName(QStringLiteral("levelGroup"));
    briefLevel = new QRadioButton(QStringLiteral("&breve"), verbosity);
    normalLevel = new QRadioButton(QStringLiteral("&normal"), verbosity);
    detailedLevel = new QRadioButton(QStringLiteral("&detalhada"), verbosity);
    auto* verbosityLayout = new QHBoxLayout(verbosity);
    for (auto [radio, name] : {std::pair{briefLevel, "briefLevel"}, {normalLevel, "normalLevel"}, {detailedLevel, "detailedLevel"}}) {
        radio->setObjectName(QLatin1String(name));
        radio->setAccessibleName(QStringLiteral("Leitura ") + radio->text().remove(QLatin1Char('&')));
        radio->installEventFilter(this);
        connect(radio, &QRadioButton::toggled, this, &VoiceSettingsDialog::onlyTheChosenLevelIsATabStop);
        verbosityLayout->addWidget(radio);
    }

    onlyTheChosenLevelIsATabStop();

    connectAutomaticallyCheck = new QCheckBox(QStringLiteral("Ligar Ormivox &automaticamente"), this);
    connectAutomaticallyCheck->setObjectName(QStringLiteral("connectAutomaticallyCheck"));
    connectAutomaticallyCheck->setAccessibleName(QStringLiteral("Ligar Ormivox automaticamente"));

    testButton = NamedButton(this, "testButton", QStringLiteral("Te&star"));
    Ok = NamedButton(this, "Ok", QStringLiteral("Ok"), Press::Default);
    Cancelar = NamedButton(this, "Cancelar", QStringLiteral("Cancelar"));
    for (QPushButton* b : {testButton, Ok, Cancelar}) b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(testButton);
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    buttons->addWidget(Cancelar);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(verbosity);
    layout->addWidget(connectAutomaticallyCheck);
    layout->addLayout(buttons);

    connect(testButton, &QPushButton::clicked, this, &VoiceSettingsDialog::testVoice);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(voiceBox, &QComboBox::activated, this, [this] { chosenVoice_ = voiceBox->currentData().toString().toStdString(); });
}

QList<QRadioButton*> VoiceSettingsDialog::levels() const { return {briefLevel, normalLevel, detailedLevel}; }

void VoiceSettingsDialog::onlyTheChosenLevelIsATabStop() {
    // Tab enters the group at the level chosen, and the arrows move from there, as in every
    // group of options a keyboard user knows.
    const QList<QRadioButton*> all = levels();
    const bool anyChosen = std::any_of(all.begin(), all.end(), [](QRadioButton* r) { return r->isChecked(); });
    for (QRadioButton* radio : all)
        radio->setFocusPolicy(radio->isChecked() || (!anyChosen && radio == all.front()) ? Qt::StrongFocus
                                                                                         : Qt::ClickFocus);
}

bool VoiceSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* radio = qobject_cast<QRadioButton*>(watched);
    if (!radio || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    int step = 0;
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Left) step = -1;
    else if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Right) step = 1;
    if (step == 0 || key->modifiers() != Qt::NoModifier) return QDialog::eventFilter(watched, event);
    // Up and Down move as Left and Right do, whichever way the group is laid out, round from
    // the last level to the first; the level reached is the one chosen.
    const QList<QRadioButton*> all = levels();
    const qsizetype count = all.size();
    QRadioButton* next = all[(all.indexOf(radio) + step + count) % count];
    next->setChecked(true);
    next->setFocus(Qt::TabFocusReason);
    return true;
}

QSlider* VoiceSettingsDialog::addLevel(QFormLayout* form, const char* name, const QString& caption) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(-100, 100);
    slider->setSingleStep(5);
    slider->setPageStep(20);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(50);
    slider->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    auto* value = new QLabel(this);
    value->setObjectName(QLatin1String(name) + QStringLiteral("Value"));
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-100")) + 4);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
    value->setNum(slider->value());
    auto* row = new QHBoxLayout;
    row->addWidget(slider, 1);
    row->addWidget(value);
    auto* label = new QLabel(caption + QLatin1Char(':'), this);
    label->setBuddy(slider);
    form->addRow(label, row);
    return slider;
}

void VoiceSettingsDialog::setSettings(const SpeechSettings& s) {
    chosenVoice_ = s.voice.voice;
    showVoices({}, kAskingVoices);
    rateSlider->setValue(s.voice.rate);
    pitchSlider->setValue(s.voice.pitch);
    volumeSlider->setValue(s.voice.volume);
    briefLevel->setChecked(s.verbosity == Verbosity::Breve);
    normalLevel->setChecked(s.verbosity == Verbosity::Normal);
    detailedLevel->setChecked(s.verbosity == Verbosity::Detalhada);
    connectAutomaticallyCheck->setChecked(s.autoConnect);
    if (formulaspeech::VoiceOutput* voice = formulaspeech::Voice()) {
        QPointer<VoiceSettingsDialog> self(this);
        voice->ListVoices([self](std::vector<std::string> names, std::string error) {
            QMetaObject::invokeMethod(
                qApp,
                [self, names = std::move(names), error = std::move(error)]() mutable {
                    if (self) self->showVoices(std::move(names), error);
                },
                Qt::QueuedConnection);
        });
    }
}

void VoiceSettingsDialog::showVoices(std::vector<std::string> names, const std::string& error) {
    // The voice chosen before stays in the list even when the service does not name it (not
    // yet, or no more), so that Ok never changes it unasked.
    if (!chosenVoice_.empty() && std::find(names.begin(), names.end(), chosenVoice_) == names.end())
        names.insert(names.begin(), chosenVoice_);
    voiceBox->clear();
    voiceBox->addItem(QString::fromUtf8(kServiceVoice), QString());
    for (const std::string& name : names) voiceBox->addItem(QString::fromStdString(name), QString::fromStdString(name));
    voiceBox->setCurrentIndex(std::max(0, voiceBox->findData(QString::fromStdString(chosenVoice_))));
    const QString note = !error.empty() ? QString::fromStdString(error)
                         : names.empty() ? QString::fromUtf8(kNoPortugueseVoice)
                                         : QString();
    voicesStatus->setText(note);
    voicesStatus->setVisible(!note.isEmpty());
}

SpeechSettings VoiceSettingsDialog::settings() const {
    SpeechSettings s;
    s.voice.voice = voiceBox->currentData().toString().toStdString();
    s.voice.rate = rateSlider->value();
    s.voice.pitch = pitchSlider->value();
    s.voice.volume = volumeSlider->value();
    s.verbosity = briefLevel->isChecked() ? Verbosity::Breve : detailedLevel->isChecked() ? Verbosity::Detalhada : Verbosity::Normal;
    s.autoConnect = connectAutomaticallyCheck->isChecked();
    return s;
}

void VoiceSettingsDialog::testVoice() {
    speechcommands::ApplySettings(settings(), startFolder_);
    speechcommands::SpeakCaretLine(kSample);
}
