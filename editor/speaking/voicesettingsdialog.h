#pragma once
// The "Sintetizador" dialog: the voice, its rate, pitch and volume, how much the formula
// reading says, and connecting on demand. It edits a copy of the settings: the caller puts
// them into effect and keeps them.
#include <QDialog>

#include "speech/speechsettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

class VoiceSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // "Testar" looks for the speech server from startFolder.
    explicit VoiceSettingsDialog(std::string startFolder, QWidget* parent = nullptr);

    // Shows these settings in the controls and asks the voice for its voices; the list
    // fills in when the answer comes.
    void setSettings(const speechsettings::SpeechSettings& settings);
    // The settings as the controls show them.
    speechsettings::SpeechSettings settings() const;

    QComboBox* voiceBox;
    QLabel* voicesStatus;  // what became of the voice list, when it is not there
    QSlider* rateSlider;
    QSlider* pitchSlider;
    QSlider* volumeSlider;
    QRadioButton* briefLevel;
    QRadioButton* normalLevel;
    QRadioButton* detailedLevel;
    QCheckBox* connectAutomaticallyCheck;
    QPushButton* testButton;
    QPushButton* Ok;
    QPushButton* Cancelar;

    // The sample "Testar" speaks: a sentence with a formula (Windows-1252).
    static constexpr const char* kSample = "Exemplo de leitura: `x^2 + (a+1)/2`.";

public slots:
    // Speaks kSample with the settings as the controls show them.
    void testVoice();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QRadioButton*> levels() const;
    void onlyTheChosenLevelIsATabStop();
    void showVoices(std::vector<std::string> names, const std::string& error);
    QSlider* addLevel(class QFormLayout* form, const char* name, const QString& caption);

    std::string chosenVoice_;  // kept while the list is not there
    std::string startFolder_;
};
