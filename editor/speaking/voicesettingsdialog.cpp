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
#include "editor/state/runstate.h"
#include "speech/speechcommands.h"
#include "speech/formulaspeech.h"

using speechsettings::SpeechSettings;
using speechsettings::Verbosity;

namespace {

constexpr const char* kServiceVoice = "Voz padrão do serviço de fala";
constexpr const char* kAskingVoices = "Consultando as vozes do serviço de fala...";
constexpr const char* kNoPortugueseVoice = "O serviço de fala não tem outra voz em português.";

}  // namespace

VoiceSettingsDialog::VoiceSettingsDialog(QWidget* parent) : QDialog(parent) {
    InstallComboBoxAccessibility();
    setObjectName(QStringLiteral("SintetizadorDlg"));
    setWindowTitle(QStringLiteral("Sintetizador"));
    setModal(true);

    auto* form = new QFormLayout;
    cb_voz = new QComboBox(this);
    cb_voz->setObjectName(QStringLiteral("cb_voz"));
    // Named by its label ("Voz:"); the voice it shows is its value.
    auto* voiceLabel = new QLabel(QStringLiteral("&Voz:"), this);
    voiceLabel->setBuddy(cb_voz);
    form->addRow(voiceLabel, cb_voz);
    st_vozes = new QLabel(this);
    st_vozes->setObjectName(QStringLiteral("st_vozes"));
    st_vozes->setWordWrap(true);
    form->addRow(QString(), st_vozes);

    tb_velocidade = addLevel(form, "tb_velocidade", QStringLiteral("V&elocidade"));
    tb_tom = addLevel(form, "tb_tom", QStringLiteral("&Tom"));
    tb_volume = addLevel(form, "tb_volume", QStringLiteral("Vo&lume"));

    auto* verbosity = new QGroupBox(QStringLiteral("Detalhe da leitura das fórmulas"), this);
    verbosity->setObjectName(QStringLiteral("gb_detalhe"));
    r_breve = new QRadioButton(QStringLiteral("&breve"), verbosity);
    r_normal = new QRadioButton(QStringLiteral("&normal"), verbosity);
    r_detalhada = new QRadioButton(QStringLiteral("&detalhada"), verbosity);
    auto* verbosityLayout = new QHBoxLayout(verbosity);
    for (auto [radio, name] : {std::pair{r_breve, "r_breve"}, {r_normal, "r_normal"}, {r_detalhada, "r_detalhada"}}) {
        radio->setObjectName(QLatin1String(name));
        radio->setAccessibleName(QStringLiteral("Leitura ") + radio->text().remove(QLatin1Char('&')));
        radio->installEventFilter(this);
        connect(radio, &QRadioButton::toggled, this, &VoiceSettingsDialog::onlyTheChosenLevelIsATabStop);
        verbosityLayout->addWidget(radio);
    }

    onlyTheChosenLevelIsATabStop();

    c_ligarAuto = new QCheckBox(QStringLiteral("Ligar Ormivox &automaticamente"), this);
    c_ligarAuto->setObjectName(QStringLiteral("c_ligarAuto"));
    c_ligarAuto->setAccessibleName(QStringLiteral("Ligar Ormivox automaticamente"));

    b_testar = NamedButton(this, "b_testar", QStringLiteral("Te&star"));
    Ok = NamedButton(this, "Ok", QStringLiteral("Ok"), Press::Default);
    Cancelar = NamedButton(this, "Cancelar", QStringLiteral("Cancelar"));
    for (QPushButton* b : {b_testar, Ok, Cancelar}) b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(b_testar);
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    buttons->addWidget(Cancelar);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(verbosity);
    layout->addWidget(c_ligarAuto);
    layout->addLayout(buttons);

    connect(b_testar, &QPushButton::clicked, this, &VoiceSettingsDialog::testVoice);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(cb_voz, &QComboBox::activated, this, [this] { chosenVoice_ = cb_voz->currentData().toString().toStdString(); });
}

QList<QRadioButton*> VoiceSettingsDialog::levels() const { return {r_breve, r_normal, r_detalhada}; }

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
    value->setObjectName(QLatin1String(name) + QStringLiteral("_valor"));
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
    tb_velocidade->setValue(s.voice.rate);
    tb_tom->setValue(s.voice.pitch);
    tb_volume->setValue(s.voice.volume);
    r_breve->setChecked(s.verbosity == Verbosity::Breve);
    r_normal->setChecked(s.verbosity == Verbosity::Normal);
    r_detalhada->setChecked(s.verbosity == Verbosity::Detalhada);
    c_ligarAuto->setChecked(s.autoConnect);
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
    cb_voz->clear();
    cb_voz->addItem(QString::fromUtf8(kServiceVoice), QString());
    for (const std::string& name : names) cb_voz->addItem(QString::fromStdString(name), QString::fromStdString(name));
    cb_voz->setCurrentIndex(std::max(0, cb_voz->findData(QString::fromStdString(chosenVoice_))));
    const QString note = !error.empty() ? QString::fromStdString(error)
                         : names.empty() ? QString::fromUtf8(kNoPortugueseVoice)
                                         : QString();
    st_vozes->setText(note);
    st_vozes->setVisible(!note.isEmpty());
}

SpeechSettings VoiceSettingsDialog::settings() const {
    SpeechSettings s;
    s.voice.voice = cb_voz->currentData().toString().toStdString();
    s.voice.rate = tb_velocidade->value();
    s.voice.pitch = tb_tom->value();
    s.voice.volume = tb_volume->value();
    s.verbosity = r_breve->isChecked() ? Verbosity::Breve : r_detalhada->isChecked() ? Verbosity::Detalhada : Verbosity::Normal;
    s.autoConnect = c_ligarAuto->isChecked();
    return s;
}

void VoiceSettingsDialog::testVoice() {
    speechcommands::ApplySettings(settings(), runstate::StartFolder);
    speechcommands::SpeakCaretLine(kSample);
}
