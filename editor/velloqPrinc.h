#pragma once
// The main window: the editor, the work folder's file list, the tool bar and the menu bar
// through which every command is reached. The window owns its controls and maps menu entries,
// tool buttons and shortcuts to commands; the commands themselves live with the code that
// handles documents, the work folder, generation, formatting and speech.
#include <QFont>
#include <QMainWindow>

class QAction;
class QFileDialog;
class QFontDialog;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QSplitter;
class QTimer;
class QToolButton;
class Tform_infoDoc;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // The menu entry, submenu or menu-bar command of that objectName; nullptr when none has it.
    QAction* action(const QString& name) const;
    // The tool button of that objectName; nullptr when none has it.
    QToolButton* button(const QString& name) const;

    // The dialog that "Este texto" shows. Created after the main window, so it is handed in;
    // until then the entry shows nothing.
    void setInfoDialog(Tform_infoDoc* dialog);
    Tform_infoDoc* infoDialog() const { return infoDialog_; }

    QFrame* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QListWidget* lb_arquivos = nullptr;
    QLabel* l_lincol = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QFileDialog* OpenDialog1 = nullptr;
    QFileDialog* SaveDialog1 = nullptr;
    QFontDialog* FontDialog1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* TimerMonit = nullptr;

    // The editor's width when the window first appears.
    static constexpr int kMemoStartWidth = 722;

public slots:
    // Sets the shared variables to their start values; runs while the window is created.
    void FormCreate();
    // Starts Timer1 the first time the window becomes the program's active window.
    void FormActivate();
    // The start-up step: the timer's one tick.
    void Timer1Timer();
    // "Este texto": the document-information dialog, modal.
    void Informaes1Click();
    // "&Fonte": the font dialog; a confirmed choice becomes the editor's font for this run.
    void Fontenatela1Click();
    // The document tool buttons: "&Nova página", "&Abrir texto", "&Salvar texto" and
    // "&Visualizar", as their menu entries.
    void newButton1Click();
    void OpenButtonClick();
    void saveButtonClick();
    void genvisBtnClick();
    // "Selecionar Tudo": selects the whole text of the editor.
    void SelecionarTudo1Click();
    // The clipboard tool buttons: the editor's cut, copy and paste of the selection.
    void CutBtnClick();
    void CopyBtnClick();
    void PasteBtnClick();
    // F9, "&Fórmula": speaks the caret's whole line, each formula read by the speech server.
    void Formula2Click();
    // "&Ligar Ormivox": connects to the speech server, starting it when needed, and says so.
    void LigarOrmivox1Click();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createEditorArea();
    void createToolBar();
    void createMenus();
    void createDialogsAndTimers();
    void connectCommands();

    Tform_infoDoc* infoDialog_ = nullptr;
    QFont fontChoice_;  // the font dialog's last confirmed choice
    bool activated_ = false;
    bool shown_ = false;
};
